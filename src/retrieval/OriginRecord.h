#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QString>

// Where a saved document came from: the URL fetched, the server's validators, and
// what was saved. It is kept on the file itself as extended attributes (the durable
// record, which a rename or a copy with attributes keeps) and in the index database
// (the table "origins", re-read from the attributes whenever it is lost):
//   user.xdg.origin.url        the URL fetched (the freedesktop convention)
//   user.hibari.etag           the server's ETag, when it sent one
//   user.hibari.last_modified  its Last-Modified, when it sent one
//   user.hibari.saved          the time of the save, ISO 8601 in UTC
//   user.hibari.sha256         the SHA-256 of the bytes saved, in hex
// A file system without extended attributes keeps the database's record only.
struct OriginRecord {
    QString url;
    QByteArray etag;
    QByteArray lastModified;
    QDateTime savedAt;
    qint64 size = 0;
    QByteArray sha256; // hex
    QString lastState; // the last check's state as shown, empty: never checked
    QDateTime checkedAt;
};

// The record of `bytes` just fetched from `url`, saved now.
OriginRecord MakeOriginRecord(const QString &url, const QByteArray &etag, const QByteArray &lastModified,
                              const QByteArray &bytes);
QByteArray Sha256Hex(const QByteArray &bytes);

// Writes the record's attributes on the file; false (and nothing said) when the file
// system refuses them.
bool WriteOriginAttributes(const QString &path, const OriginRecord &record);
// The record the file's attributes hold; nothing without user.xdg.origin.url.
std::optional<OriginRecord> ReadOriginAttributes(const QString &path);

// The seam for the one platform step, so that tests can play a file system without
// extended attributes: returns 0 or an errno value.
using SetAttributeFunction = int (*)(const QByteArray &path, const char *name, const QByteArray &value);
void UseSetAttribute(SetAttributeFunction function); // nullptr: the system's setxattr

// The records of the document library, by path relative to the documents folder, in
// the index database. Each instance is one connection, for one thread.
class OriginStore {
public:
    OriginStore(QString databasePath, QString documentsPath);
    ~OriginStore();
    OriginStore(const OriginStore &) = delete;
    OriginStore &operator=(const OriginStore &) = delete;

    // Stores the record of the document at `path` (absolute) in the database and on the
    // file. The database may be missing or unwritable: the file keeps its attributes.
    void record(const QString &path, const OriginRecord &record);
    // The record of the document at `path` (absolute): the database's, else the file's
    // attributes (then stored in the database again).
    std::optional<OriginRecord> find(const QString &path);
    // Keeps the record of a renamed document under its new name.
    void move(const QString &from, const QString &to);
    // The last check's state of a document.
    void setState(const QString &path, const QString &state);

private:
    bool open();
    QString relative(const QString &path) const;
    void store(const QString &relativePath, const OriginRecord &record);

    QString m_databasePath;
    QString m_documentsPath;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_tried = false;
};
