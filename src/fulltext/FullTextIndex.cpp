#include "fulltext/FullTextIndex.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "fulltext/TextFold.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A page's row is document id * PageSlots + page, so that a document's pages are one
// range of row ids.
constexpr qint64 PageSlots = 100000;

// The index files found sound in this run of the program, with their size and
// modification time when they were last closed so. The full check reads the whole
// file, so an index that nobody else touched since is only asked for its version.
QMutex checkedMutex;
QHash<QString, std::pair<qint64, qint64>> checkedFiles;

std::pair<qint64, qint64> fileStamp(const QString &path)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

bool checkedAlready(const QString &path)
{
    const QMutexLocker lock(&checkedMutex);
    const auto it = checkedFiles.constFind(path);
    return it != checkedFiles.cend() && *it == fileStamp(path) && !QFileInfo::exists(path + u"-wal"_s);
}

void markChecked(const QString &path, bool checked)
{
    const QMutexLocker lock(&checkedMutex);
    if (checked)
        checkedFiles.insert(path, fileStamp(path));
    else
        checkedFiles.remove(path);
}

QString newConnectionName()
{
    static QAtomicInt serial;
    return u"hibari-fulltext-%1"_s.arg(serial.fetchAndAddRelaxed(1));
}

QString quotedPhrase(const QString &term)
{
    QString phrase = term;
    phrase.replace(u'"', u"\"\""_s);
    return u'"' + phrase + u'"';
}

// The short-term index's token for one or two UTF-16 units: their hex digits.
void appendGramToken(QString &token, QStringView gram)
{
    static constexpr char16_t Digits[] = u"0123456789abcdef";
    for (const QChar c : gram) {
        const char16_t unit = c.unicode();
        const QChar hex[4]
            = {Digits[unit >> 12], Digits[(unit >> 8) & 0xf], Digits[(unit >> 4) & 0xf], Digits[unit & 0xf]};
        token.append(hex, 4);
    }
}

QString gramToken(QStringView gram)
{
    QString token;
    appendGramToken(token, gram);
    return token;
}

// What the short-term index holds for a page: every distinct single unit and pair of
// neighbouring units, as tokens, sorted (so that a page is deleted as it was added).
QString gramTokens(QStringView text)
{
    std::vector<quint32> grams;
    grams.reserve(size_t(text.size()) * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        grams.push_back(0xffff0000u | text[i].unicode());
        if (i + 1 < text.size())
            grams.push_back(quint32(text[i].unicode()) << 16 | text[i + 1].unicode());
    }
    std::sort(grams.begin(), grams.end());
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
    QString tokens;
    tokens.reserve(qsizetype(grams.size()) * 9);
    for (const quint32 gram : grams) {
        if (!tokens.isEmpty())
            tokens += u' ';
        const QChar units[2] = {QChar(char16_t(gram >> 16)), QChar(char16_t(gram & 0xffff))};
        appendGramToken(tokens, (gram >> 16) == 0xffff ? QStringView(units + 1, 1) : QStringView(units, 2));
    }
    return tokens;
}

// The rows an aggregate query gave as one comma-separated list, sorted.
QList<qint64> rowList(const QVariant &value)
{
    QList<qint64> rows;
    const QByteArray list = value.toByteArray();
    qint64 row = -1;
    for (const char c : list) {
        if (c >= '0' && c <= '9') {
            row = (row < 0 ? 0 : row * 10) + (c - '0');
        } else if (row >= 0) {
            rows.append(row);
            row = -1;
        }
    }
    if (row >= 0)
        rows.append(row);
    if (!std::is_sorted(rows.cbegin(), rows.cend()))
        std::sort(rows.begin(), rows.end());
    return rows;
}

QString unpackedText(const QByteArray &packed)
{
    return QString::fromUtf8(qUncompress(packed));
}

} // namespace

QString IndexedName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        name.chop(4);
    return FoldText(name);
}

FullTextIndex::FullTextIndex(const QString &databasePath) : m_path(databasePath), m_connection(newConnectionName()) {}

FullTextIndex::~FullTextIndex()
{
    close();
}

void FullTextIndex::close()
{
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
    if (m_sound)
        markChecked(m_path, true);
    m_sound = false;
}

bool FullTextIndex::exec(const QString &sql)
{
    QSqlQuery query(m_db);
    return query.exec(sql);
}

bool FullTextIndex::valid()
{
    QSqlQuery query(m_db);
    const bool thorough = !checkedAlready(m_path);
    if (thorough && (!query.exec(u"PRAGMA quick_check"_s) || !query.next() || query.value(0).toString() != u"ok"_s))
        return false;
    if (!query.exec(u"SELECT value FROM meta WHERE key = 'version'"_s) || !query.next())
        return false;
    if (query.value(0).toString() != QString::number(Version))
        return false;
    // The full-text tables keep no rows to scan: a lookup shows they are there.
    return query.exec(u"SELECT count(*) FROM docs"_s) && query.exec(u"SELECT id FROM texts LIMIT 1"_s)
           && query.exec(u"SELECT rowid FROM pages WHERE pages MATCH '\"abc\"'"_s)
           && query.exec(u"SELECT rowid FROM grams WHERE grams MATCH '0061'"_s);
}

bool FullTextIndex::create()
{
    // The page texts are kept once, compressed, in texts; the two full-text tables
    // hold only their indexes: trigrams with positions for terms of three characters
    // and more, and single units and pairs of units for the shorter ones. Large pages
    // (unless the origins made the file first) and large index leaves make storing the
    // trigrams about a third quicker.
    exec(u"PRAGMA page_size = 16384"_s);
    return exec(u"CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT)"_s)
           && exec(u"CREATE TABLE docs(id INTEGER PRIMARY KEY, path TEXT UNIQUE NOT NULL, size INTEGER, "
                   "modified INTEGER, readable INTEGER, name TEXT, pages INTEGER)"_s)
           && exec(u"CREATE TABLE texts(id INTEGER PRIMARY KEY, body BLOB)"_s)
           && exec(u"CREATE VIRTUAL TABLE pages USING fts5(body, tokenize = 'trigram case_sensitive 1', "
                   "detail = 'full', content = '', columnsize = 0)"_s)
           && exec(u"CREATE VIRTUAL TABLE grams USING fts5(body, tokenize = 'ascii', detail = 'none', "
                   "content = '', columnsize = 0)"_s)
           && exec(u"INSERT INTO pages(pages, rank) VALUES('pgsz', 16000)"_s)
           && exec(u"INSERT INTO grams(grams, rank) VALUES('pgsz', 16000)"_s)
           && exec(u"INSERT INTO meta VALUES('version', '%1')"_s.arg(Version));
}

bool FullTextIndex::removePages(qint64 id)
{
    // The full-text tables keep no text: a page leaves them with the text it came in with.
    QSqlQuery texts(m_db);
    texts.setForwardOnly(true);
    texts.prepare(u"SELECT id, body FROM texts WHERE id BETWEEN ? AND ?"_s);
    texts.addBindValue(id * PageSlots);
    texts.addBindValue(id * PageSlots + PageSlots - 1);
    if (!texts.exec())
        return false;
    QSqlQuery pages(m_db);
    pages.prepare(u"INSERT INTO pages(pages, rowid, body) VALUES('delete', ?, ?)"_s);
    QSqlQuery grams(m_db);
    grams.prepare(u"INSERT INTO grams(grams, rowid, body) VALUES('delete', ?, ?)"_s);
    while (texts.next()) {
        const qint64 row = texts.value(0).toLongLong();
        const QString text = unpackedText(texts.value(1).toByteArray());
        pages.bindValue(0, row);
        pages.bindValue(1, text);
        grams.bindValue(0, row);
        grams.bindValue(1, gramTokens(text));
        if (!pages.exec() || !grams.exec())
            return false;
    }
    QSqlQuery remove(m_db);
    remove.prepare(u"DELETE FROM texts WHERE id BETWEEN ? AND ?"_s);
    remove.addBindValue(id * PageSlots);
    remove.addBindValue(id * PageSlots + PageSlots - 1);
    return remove.exec();
}

bool FullTextIndex::openForUpdate()
{
    close();
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
        m_db.setDatabaseName(m_path);
        if (m_db.open()) {
            exec(u"PRAGMA busy_timeout = 5000"_s);
            bool fresh = false;
            {
                // OriginStore's table of its own may be there before the index.
                QSqlQuery query(m_db);
                fresh = query.exec(u"SELECT count(*) FROM sqlite_master WHERE tbl_name != 'origins'"_s) && query.next()
                        && query.value(0).toInt() == 0;
            }
            if (fresh ? create() : valid()) {
                exec(u"PRAGMA journal_mode = WAL"_s);
                exec(u"PRAGMA synchronous = NORMAL"_s);
                m_sound = true;
                return true;
            }
        }
        // Damaged, another version, or not a database: made afresh, without asking.
        markChecked(m_path, false);
        close();
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
            QFile::remove(m_path + suffix);
    }
    close();
    return false;
}

bool FullTextIndex::openForSearch()
{
    close();
    if (!QFileInfo::exists(m_path))
        return false;
    m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
    if (!m_db.open()) {
        close();
        return false;
    }
    exec(u"PRAGMA busy_timeout = 20"_s);
    return true;
}

QHash<QString, FullTextIndex::Stamp> FullTextIndex::stamps()
{
    QHash<QString, Stamp> stamps;
    QSqlQuery query(m_db);
    if (query.exec(u"SELECT path, size, modified FROM docs"_s)) {
        while (query.next())
            stamps.insert(query.value(0).toString(), {query.value(1).toLongLong(), query.value(2).toLongLong()});
    }
    return stamps;
}

bool FullTextIndex::begin()
{
    return m_batch || m_db.transaction();
}

bool FullTextIndex::finish()
{
    return m_batch || m_db.commit() || fail();
}

bool FullTextIndex::fail()
{
    m_db.rollback();
    m_batch = false;
    m_sound = false; // checked in full at the next opening
    markChecked(m_path, false);
    return false;
}

bool FullTextIndex::beginBatch()
{
    m_batch = m_batch || m_db.transaction();
    return m_batch;
}

bool FullTextIndex::commitBatch()
{
    if (!m_batch)
        return true;
    m_batch = false;
    return m_db.commit() || fail();
}

bool FullTextIndex::store(const QString &path, const Stamp &stamp, const std::optional<QStringList> &pages)
{
    if (!begin())
        return false;
    QSqlQuery query(m_db);
    query.prepare(u"SELECT id FROM docs WHERE path = ?"_s);
    query.addBindValue(path);
    if (!query.exec())
        return fail();
    qint64 id = -1;
    if (query.next())
        id = query.value(0).toLongLong();
    const int count = pages ? int(std::min<qsizetype>(pages->size(), PageSlots - 1)) : 0;
    if (id >= 0) {
        query.prepare(u"UPDATE docs SET size = ?, modified = ?, readable = ?, name = ?, pages = ? WHERE id = ?"_s);
        query.addBindValue(stamp.size);
        query.addBindValue(stamp.modified);
        query.addBindValue(pages ? 1 : 0);
        query.addBindValue(IndexedName(path));
        query.addBindValue(count);
        query.addBindValue(id);
        if (!query.exec() || !removePages(id))
            return fail();
    } else {
        query.prepare(u"INSERT INTO docs(path, size, modified, readable, name, pages) VALUES(?, ?, ?, ?, ?, ?)"_s);
        query.addBindValue(path);
        query.addBindValue(stamp.size);
        query.addBindValue(stamp.modified);
        query.addBindValue(pages ? 1 : 0);
        query.addBindValue(IndexedName(path));
        query.addBindValue(count);
        if (!query.exec())
            return fail();
        id = query.lastInsertId().toLongLong();
    }
    if (pages) {
        QSqlQuery text(m_db);
        text.prepare(u"INSERT INTO texts(id, body) VALUES(?, ?)"_s);
        QSqlQuery trigrams(m_db);
        trigrams.prepare(u"INSERT INTO pages(rowid, body) VALUES(?, ?)"_s);
        QSqlQuery grams(m_db);
        grams.prepare(u"INSERT INTO grams(rowid, body) VALUES(?, ?)"_s);
        for (int i = 0; i < count; ++i) {
            const qint64 row = id * PageSlots + i + 1;
            // Through UTF-8 and back, as the stored text comes back, so that the page
            // leaves the indexes with exactly the text it came in with.
            const QByteArray utf8 = FoldText(pages->at(i)).toUtf8();
            const QString folded = QString::fromUtf8(utf8);
            text.bindValue(0, row);
            text.bindValue(1, qCompress(utf8));
            trigrams.bindValue(0, row);
            trigrams.bindValue(1, folded);
            grams.bindValue(0, row);
            grams.bindValue(1, gramTokens(folded));
            if (!text.exec() || !trigrams.exec() || !grams.exec())
                return fail();
        }
    }
    return finish();
}

bool FullTextIndex::remove(const QString &path)
{
    if (!begin())
        return false;
    QSqlQuery query(m_db);
    query.prepare(u"SELECT id FROM docs WHERE path = ?"_s);
    query.addBindValue(path);
    if (query.exec() && query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (!removePages(id))
            return fail();
        query.prepare(u"DELETE FROM docs WHERE id = ?"_s);
        query.addBindValue(id);
        if (!query.exec())
            return fail();
    }
    return finish();
}

bool FullTextIndex::move(const QString &from, const QString &to)
{
    QSqlQuery query(m_db);
    query.prepare(u"UPDATE docs SET path = ?, name = ? WHERE path = ?"_s);
    query.addBindValue(to);
    query.addBindValue(IndexedName(to));
    query.addBindValue(from);
    return query.exec() && query.numRowsAffected() == 1;
}

std::optional<QList<qint64>> FullTextIndex::pagesWith(const QString &term)
{
    // One row with every page's row id, as bytes: far quicker than a row per page.
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const auto rows = [&query](const QString &sql, const QString &match) -> std::optional<QList<qint64>> {
        query.prepare(sql);
        query.addBindValue(match);
        if (!query.exec() || !query.next())
            return std::nullopt;
        return rowList(query.value(0));
    };
    if (term.size() <= 2)
        return rows(u"SELECT CAST(group_concat(rowid) AS BLOB) FROM grams WHERE grams MATCH ?"_s,
                    quotedPhrase(gramToken(term)));
    if (term.toUcs4().size() >= 3)
        return rows(u"SELECT CAST(group_concat(rowid) AS BLOB) FROM pages WHERE pages MATCH ?"_s, quotedPhrase(term));
    // Fewer than three characters in more than two units (outside the BMP): the pages
    // with all its pairs of units, then their text.
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < term.size(); ++i)
        pairs.append(quotedPhrase(gramToken(QStringView(term).mid(i, 2))));
    const auto candidates
        = rows(u"SELECT CAST(group_concat(rowid) AS BLOB) FROM grams WHERE grams MATCH ?"_s, pairs.join(u" AND "_s));
    if (!candidates)
        return std::nullopt;
    QList<qint64> found;
    query.prepare(u"SELECT body FROM texts WHERE id = ?"_s);
    for (const qint64 row : *candidates) {
        query.bindValue(0, row);
        if (!query.exec())
            return std::nullopt;
        if (query.next() && unpackedText(query.value(0).toByteArray()).contains(term))
            found.append(row);
    }
    return found;
}

QList<FullTextIndex::Hit> FullTextIndex::search(const QStringList &terms)
{
    if (terms.isEmpty() || !m_db.isOpen())
        return {};
    // Sorted lists rather than sets: a common term is on every page of a large library.
    std::optional<QList<qint64>> candidates; // documents with every term so far
    QList<qint64> pageRows;                  // pages with any term
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    for (const QString &term : terms) {
        const std::optional<QList<qint64>> rows = pagesWith(term);
        if (!rows)
            return {};
        QList<qint64> found;
        for (const qint64 row : *rows) {
            if (found.isEmpty() || found.back() != row / PageSlots)
                found.append(row / PageSlots);
        }
        query.prepare(u"SELECT id FROM docs WHERE instr(name, ?) > 0"_s);
        query.addBindValue(term);
        if (!query.exec())
            return {};
        while (query.next())
            found.append(query.value(0).toLongLong());
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        if (candidates) {
            QList<qint64> both;
            std::set_intersection(found.cbegin(), found.cend(), candidates->cbegin(), candidates->cend(),
                                  std::back_inserter(both));
            found = both;
        }
        candidates = found;
        if (candidates->isEmpty())
            return {};
        pageRows.append(*rows);
    }
    std::sort(pageRows.begin(), pageRows.end());
    pageRows.erase(std::unique(pageRows.begin(), pageRows.end()), pageRows.end());

    QList<Hit> hits;
    query.prepare(u"SELECT id, path, readable FROM docs"_s);
    if (!query.exec())
        return {};
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (!std::binary_search(candidates->cbegin(), candidates->cend(), id))
            continue;
        Hit hit;
        hit.path = query.value(1).toString();
        hit.readable = query.value(2).toInt() != 0;
        for (auto row = std::lower_bound(pageRows.cbegin(), pageRows.cend(), id * PageSlots);
             row != pageRows.cend() && *row < (id + 1) * PageSlots; ++row)
            hit.pages.append(int(*row % PageSlots));
        hits.append(hit);
    }
    std::sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.path < b.path; });
    return hits;
}

QString FullTextIndex::pageText(const QString &path, int page)
{
    QSqlQuery query(m_db);
    query.prepare(u"SELECT body FROM texts WHERE id = (SELECT id FROM docs WHERE path = ?) * ? + ?"_s);
    query.addBindValue(path);
    query.addBindValue(PageSlots);
    query.addBindValue(page);
    if (query.exec() && query.next())
        return unpackedText(query.value(0).toByteArray());
    return {};
}
