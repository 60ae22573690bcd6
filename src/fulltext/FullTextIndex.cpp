#include "fulltext/FullTextIndex.h"

#include <algorithm>

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "fulltext/TextFold.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A page's row is document id * PageSlots + page, so that a document's pages are one
// range of row ids.
constexpr qint64 PageSlots = 100000;

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
}

bool FullTextIndex::exec(const QString &sql)
{
    QSqlQuery query(m_db);
    return query.exec(sql);
}

bool FullTextIndex::valid()
{
    QSqlQuery query(m_db);
    if (!query.exec(u"PRAGMA quick_check"_s) || !query.next() || query.value(0).toString() != u"ok"_s)
        return false;
    if (!query.exec(u"SELECT value FROM meta WHERE key = 'version'"_s) || !query.next())
        return false;
    if (query.value(0).toString() != QString::number(Version))
        return false;
    return query.exec(u"SELECT count(*) FROM docs"_s) && query.exec(u"SELECT rowid FROM pages LIMIT 1"_s);
}

bool FullTextIndex::create()
{
    return exec(u"CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT)"_s)
           && exec(u"CREATE TABLE docs(id INTEGER PRIMARY KEY, path TEXT UNIQUE NOT NULL, size INTEGER, "
                   "modified INTEGER, readable INTEGER, name TEXT, pages INTEGER)"_s)
           && exec(u"CREATE VIRTUAL TABLE pages USING fts5(body, tokenize = 'trigram case_sensitive 1', "
                   "detail = 'full')"_s)
           && exec(u"INSERT INTO meta VALUES('version', '%1')"_s.arg(Version));
}

bool FullTextIndex::OpenForUpdate()
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
                return true;
            }
        }
        // Damaged, another version, or not a database: made afresh, without asking.
        close();
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
            QFile::remove(m_path + suffix);
    }
    close();
    return false;
}

bool FullTextIndex::OpenForSearch()
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

QHash<QString, FullTextIndex::Stamp> FullTextIndex::Stamps()
{
    QHash<QString, Stamp> stamps;
    QSqlQuery query(m_db);
    if (query.exec(u"SELECT path, size, modified FROM docs"_s)) {
        while (query.next())
            stamps.insert(query.value(0).toString(), {query.value(1).toLongLong(), query.value(2).toLongLong()});
    }
    return stamps;
}

bool FullTextIndex::Store(const QString &path, const Stamp &stamp, const std::optional<QStringList> &pages)
{
    if (!m_db.transaction())
        return false;
    const auto fail = [this] {
        m_db.rollback();
        return false;
    };
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
        if (!query.exec())
            return fail();
        query.prepare(u"DELETE FROM pages WHERE rowid BETWEEN ? AND ?"_s);
        query.addBindValue(id * PageSlots);
        query.addBindValue(id * PageSlots + PageSlots - 1);
        if (!query.exec())
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
        query.prepare(u"INSERT INTO pages(rowid, body) VALUES(?, ?)"_s);
        for (int i = 0; i < count; ++i) {
            query.bindValue(0, id * PageSlots + i + 1);
            query.bindValue(1, FoldText(pages->at(i)));
            if (!query.exec())
                return fail();
        }
    }
    return m_db.commit() || fail();
}

bool FullTextIndex::Remove(const QString &path)
{
    if (!m_db.transaction())
        return false;
    QSqlQuery query(m_db);
    query.prepare(u"SELECT id FROM docs WHERE path = ?"_s);
    query.addBindValue(path);
    if (query.exec() && query.next()) {
        const qint64 id = query.value(0).toLongLong();
        query.prepare(u"DELETE FROM pages WHERE rowid BETWEEN ? AND ?"_s);
        query.addBindValue(id * PageSlots);
        query.addBindValue(id * PageSlots + PageSlots - 1);
        bool ok = query.exec();
        query.prepare(u"DELETE FROM docs WHERE id = ?"_s);
        query.addBindValue(id);
        ok = ok && query.exec();
        if (!ok) {
            m_db.rollback();
            return false;
        }
    }
    return m_db.commit();
}

bool FullTextIndex::Move(const QString &from, const QString &to)
{
    QSqlQuery query(m_db);
    query.prepare(u"UPDATE docs SET path = ?, name = ? WHERE path = ?"_s);
    query.addBindValue(to);
    query.addBindValue(IndexedName(to));
    query.addBindValue(from);
    return query.exec() && query.numRowsAffected() == 1;
}

QList<FullTextIndex::Hit> FullTextIndex::Search(const QStringList &terms)
{
    if (terms.isEmpty() || !m_db.isOpen())
        return {};
    // Long terms first: the index narrows them down, and they narrow the scan of
    // the short ones to their documents.
    QStringList ordered = terms;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QString &a, const QString &b) { return (a.size() >= 3) > (b.size() >= 3); });

    QHash<qint64, QSet<int>> pagesOf; // document id: pages with any term
    std::optional<QSet<qint64>> candidates;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    for (const QString &term : std::as_const(ordered)) {
        QSet<qint64> found;
        QHash<qint64, QSet<int>> termPages;
        const auto collectPages = [&] {
            while (query.next()) {
                const qint64 row = query.value(0).toLongLong();
                const qint64 id = row / PageSlots;
                if (candidates && !candidates->contains(id))
                    continue;
                termPages[id].insert(int(row % PageSlots));
                found.insert(id);
            }
        };
        if (term.size() >= 3) {
            query.prepare(u"SELECT rowid FROM pages WHERE pages MATCH ?"_s);
            query.addBindValue(quotedPhrase(term));
            if (!query.exec())
                return {};
            collectPages();
        } else if (!candidates) {
            query.prepare(u"SELECT rowid FROM pages WHERE instr(body, ?) > 0"_s);
            query.addBindValue(term);
            if (!query.exec())
                return {};
            collectPages();
        } else {
            query.prepare(u"SELECT rowid FROM pages WHERE rowid BETWEEN ? AND ? AND instr(body, ?) > 0"_s);
            for (const qint64 id : std::as_const(*candidates)) {
                query.bindValue(0, id * PageSlots);
                query.bindValue(1, id * PageSlots + PageSlots - 1);
                query.bindValue(2, term);
                if (!query.exec())
                    return {};
                collectPages();
            }
        }
        query.prepare(u"SELECT id FROM docs WHERE instr(name, ?) > 0"_s);
        query.addBindValue(term);
        if (!query.exec())
            return {};
        while (query.next()) {
            const qint64 id = query.value(0).toLongLong();
            if (!candidates || candidates->contains(id))
                found.insert(id);
        }
        candidates = found;
        for (auto it = termPages.cbegin(); it != termPages.cend(); ++it)
            pagesOf[it.key()].unite(it.value());
        if (candidates->isEmpty())
            return {};
    }

    QList<Hit> hits;
    query.prepare(u"SELECT id, path, readable FROM docs"_s);
    if (!query.exec())
        return {};
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (!candidates->contains(id))
            continue;
        Hit hit;
        hit.path = query.value(1).toString();
        hit.readable = query.value(2).toInt() != 0;
        const QSet<int> pages = pagesOf.value(id);
        hit.pages = QList<int>(pages.cbegin(), pages.cend());
        std::sort(hit.pages.begin(), hit.pages.end());
        hits.append(hit);
    }
    std::sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.path < b.path; });
    return hits;
}

QString FullTextIndex::PageText(const QString &path, int page)
{
    QSqlQuery query(m_db);
    query.prepare(u"SELECT body FROM pages WHERE rowid = (SELECT id FROM docs WHERE path = ?) * ? + ?"_s);
    query.addBindValue(path);
    query.addBindValue(PageSlots);
    query.addBindValue(page);
    if (query.exec() && query.next())
        return query.value(0).toString();
    return {};
}
