#pragma once

#include <atomic>
#include <functional>
#include <optional>

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The full-text index of the document library, an SQLite file in the per-user data
// folder. It holds each document's folded page texts (compressed, once), two indexes
// over them (FTS5 with trigrams for substrings of three or more characters, and one of
// single characters and pairs for the shorter ones), its folded name, and the size and
// modification time it was read at. It never writes to the documents.
class FullTextIndex {
public:
    // The version of the file's layout and of the folding; another one is rebuilt.
    static constexpr int Version = 2;

    // databasePath: the index file. Each instance is one connection, for one thread.
    explicit FullTextIndex(const QString &databasePath);
    ~FullTextIndex();
    FullTextIndex(const FullTextIndex &) = delete;
    FullTextIndex &operator=(const FullTextIndex &) = delete;

    // Opens the index for updating; one that is damaged, of another version or no
    // database at all is deleted and made afresh. False when the folder cannot hold it.
    bool openForUpdate();
    // Opens it for searching only, never repairing; false when there is none yet.
    bool openForSearch();

    struct Stamp {
        qint64 size = 0;
        qint64 modified = 0; // milliseconds since the epoch
        bool operator==(const Stamp &) const = default;
    };
    // Every indexed document's path (relative to the documents folder) and stamp.
    QHash<QString, Stamp> stamps();

    // Stores a document's pages (raw text; folded here), replacing what was there.
    // Without pages the document's text could not be read: only its name is kept.
    bool store(const QString &path, const Stamp &stamp, const std::optional<QStringList> &pages);
    bool remove(const QString &path);
    // Groups the stores and removals that follow into one transaction until
    // commitBatch(): a whole library is stored far quicker so. A failure inside rolls
    // back the whole group.
    bool beginBatch();
    bool commitBatch();
    // A document renamed or moved without changing: keeps its text under the new path.
    bool move(const QString &from, const QString &to);

    struct Hit {
        QString path;     // relative to the documents folder
        QList<int> pages; // 1-based, where any term occurs
        bool readable = true;
    };
    // The documents in which every term (already folded) occurs, in the text or the
    // name, sorted by path.
    QList<Hit> search(const QStringList &terms);

    // The folded text of one page (1-based), empty when unknown.
    QString pageText(const QString &path, int page);

private:
    bool create();
    bool valid();
    void close();
    bool exec(const QString &sql);
    bool removePages(qint64 id);
    bool begin();
    bool finish();
    bool fail();
    // The row ids (document id * slots + page) of the pages that hold the term.
    std::optional<QList<qint64>> pagesWith(const QString &term);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_sound = false; // opened for updating and found sound, nothing failed since
    bool m_batch = false; // in a transaction of beginBatch()
};

// The folded name of a document as searched: the file name without ".pdf".
QString IndexedName(const QString &path);
