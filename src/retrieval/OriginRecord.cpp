#include "retrieval/OriginRecord.h"

#include <cerrno>

#include <sys/xattr.h>

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr const char *UrlAttribute = "user.xdg.origin.url";
constexpr const char *EtagAttribute = "user.hibari.etag";
constexpr const char *ModifiedAttribute = "user.hibari.last_modified";
constexpr const char *SavedAttribute = "user.hibari.saved";
constexpr const char *HashAttribute = "user.hibari.sha256";

int systemSetAttribute(const QByteArray &path, const char *name, const QByteArray &value)
{
    return ::setxattr(path.constData(), name, value.constData(), size_t(value.size()), 0) == 0 ? 0 : errno;
}

SetAttributeFunction setAttribute = systemSetAttribute;

QByteArray attribute(const QByteArray &path, const char *name)
{
    QByteArray value(1024, Qt::Uninitialized);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ssize_t length = ::getxattr(path.constData(), name, value.data(), size_t(value.size()));
        if (length >= 0)
            return value.left(qsizetype(length));
        if (errno != ERANGE)
            return {};
        const ssize_t needed = ::getxattr(path.constData(), name, nullptr, 0);
        if (needed <= 0 || needed > 64 * 1024)
            return {};
        value.resize(qsizetype(needed));
    }
    return {};
}

QString newConnectionName()
{
    static QAtomicInt serial;
    return u"hibari-origins-%1"_s.arg(serial.fetchAndAddRelaxed(1));
}

} // namespace

QByteArray Sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

OriginRecord MakeOriginRecord(const QString &url, const QByteArray &etag, const QByteArray &lastModified,
                              const QByteArray &bytes)
{
    OriginRecord record;
    record.url = url;
    record.etag = etag;
    record.lastModified = lastModified;
    record.savedAt = QDateTime::currentDateTimeUtc();
    record.size = bytes.size();
    record.sha256 = Sha256Hex(bytes);
    return record;
}

void UseSetAttribute(SetAttributeFunction function)
{
    setAttribute = function ? function : systemSetAttribute;
}

bool WriteOriginAttributes(const QString &path, const OriginRecord &record)
{
    const QByteArray file = QFile::encodeName(path);
    if (setAttribute(file, UrlAttribute, record.url.toUtf8()) != 0)
        return false;
    // An attribute the server gave no value for is written empty, so that the one of an
    // earlier version is not taken for this one's.
    return setAttribute(file, EtagAttribute, record.etag) == 0
           && setAttribute(file, ModifiedAttribute, record.lastModified) == 0
           && setAttribute(file, SavedAttribute, record.savedAt.toUTC().toString(Qt::ISODate).toLatin1()) == 0
           && setAttribute(file, HashAttribute, record.sha256) == 0;
}

std::optional<OriginRecord> ReadOriginAttributes(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray url = attribute(file, UrlAttribute);
    if (url.isEmpty())
        return std::nullopt;
    OriginRecord record;
    record.url = QString::fromUtf8(url);
    record.etag = attribute(file, EtagAttribute);
    record.lastModified = attribute(file, ModifiedAttribute);
    record.savedAt = QDateTime::fromString(QString::fromLatin1(attribute(file, SavedAttribute)), Qt::ISODate);
    record.sha256 = attribute(file, HashAttribute);
    record.size = QFileInfo(path).size();
    return record;
}

OriginStore::OriginStore(QString databasePath, QString documentsPath)
    : m_databasePath(std::move(databasePath)), m_documentsPath(std::move(documentsPath)),
      m_connection(newConnectionName())
{
}

OriginStore::~OriginStore()
{
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool OriginStore::open()
{
    if (m_tried)
        return m_db.isOpen();
    m_tried = true;
    if (m_databasePath.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(m_databasePath).absolutePath());
    m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    m_db.setDatabaseName(m_databasePath);
    if (!m_db.open())
        return false;
    QSqlQuery query(m_db);
    query.exec(u"PRAGMA busy_timeout = 5000"_s);
    query.exec(u"PRAGMA page_size = 16384"_s); // a new file: the full-text index's large pages
    if (!query.exec(u"CREATE TABLE IF NOT EXISTS origins(path TEXT PRIMARY KEY, url TEXT NOT NULL, etag BLOB, "
                    "last_modified BLOB, saved TEXT, size INTEGER, sha256 TEXT, state TEXT, checked TEXT)"_s)) {
        m_db.close();
        return false;
    }
    return true;
}

QString OriginStore::relative(const QString &path) const
{
    QString base = m_documentsPath;
    if (!base.endsWith(u'/'))
        base += u'/';
    return path.startsWith(base) ? path.mid(base.size()) : path;
}

void OriginStore::store(const QString &relativePath, const OriginRecord &record)
{
    if (!open())
        return;
    QSqlQuery query(m_db);
    query.prepare(u"INSERT OR REPLACE INTO origins VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    query.addBindValue(relativePath);
    query.addBindValue(record.url);
    query.addBindValue(record.etag);
    query.addBindValue(record.lastModified);
    query.addBindValue(record.savedAt.toUTC().toString(Qt::ISODate));
    query.addBindValue(record.size);
    query.addBindValue(QString::fromLatin1(record.sha256));
    query.addBindValue(record.lastState);
    query.addBindValue(record.checkedAt.isValid() ? record.checkedAt.toUTC().toString(Qt::ISODate) : QString());
    query.exec();
}

void OriginStore::record(const QString &path, const OriginRecord &record)
{
    WriteOriginAttributes(path, record);
    store(relative(path), record);
}

std::optional<OriginRecord> OriginStore::find(const QString &path)
{
    if (open()) {
        QSqlQuery query(m_db);
        query.prepare(u"SELECT url, etag, last_modified, saved, size, sha256, state, checked FROM origins "
                      "WHERE path = ?"_s);
        query.addBindValue(relative(path));
        if (query.exec() && query.next()) {
            OriginRecord record;
            record.url = query.value(0).toString();
            record.etag = query.value(1).toByteArray();
            record.lastModified = query.value(2).toByteArray();
            record.savedAt = QDateTime::fromString(query.value(3).toString(), Qt::ISODate);
            record.size = query.value(4).toLongLong();
            record.sha256 = query.value(5).toString().toLatin1();
            record.lastState = query.value(6).toString();
            record.checkedAt = QDateTime::fromString(query.value(7).toString(), Qt::ISODate);
            return record;
        }
    }
    std::optional<OriginRecord> record = ReadOriginAttributes(path);
    if (record)
        store(relative(path), *record);
    return record;
}

void OriginStore::move(const QString &from, const QString &to)
{
    if (!open())
        return;
    QSqlQuery query(m_db);
    query.prepare(u"UPDATE OR REPLACE origins SET path = ? WHERE path = ?"_s);
    query.addBindValue(relative(to));
    query.addBindValue(relative(from));
    query.exec();
}

void OriginStore::setState(const QString &path, const QString &state)
{
    std::optional<OriginRecord> record = find(path);
    if (!record)
        return;
    record->lastState = state;
    record->checkedAt = QDateTime::currentDateTimeUtc();
    store(relative(path), *record);
}
