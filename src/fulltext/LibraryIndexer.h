#pragma once

#include <atomic>
#include <functional>
#include <optional>

#include <QFileSystemWatcher>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

class FullTextIndex;

// The PDF files of the library, relative to the documents folder: those in the
// library's root (the manuals) and in its four category folders, sorted.
QStringList LibraryDocuments(const QString &documentsPath);

// Reads one document's page texts; nothing when its text cannot be read.
using TextReader = std::function<std::optional<QStringList>(const QString &file)>;

// How many documents are read at once while the index is built.
inline constexpr size_t ParallelReads = 2;

// Brings the index up to the library, by size and modification time: new and
// changed documents are read, renamed ones keep their text, removed ones go. A
// document whose text could not be read is not tried again until it changes.
// read is called from other threads, at most ParallelReads at a time.
// progress(done, total) follows the documents that need reading. Stops early when
// stop is set. Returns false when the index cannot be written.
bool UpdateIndex(FullTextIndex &index, const QString &documentsPath, const TextReader &read,
                 const std::function<void(int done, int total)> &progress, const std::atomic_bool &stop);

// Keeps the index current in the background: an update at start, and another
// whenever one of the library's folders or documents changes (a save, a rename, a
// change from outside, a document written over in place). The updates run in a thread of their own, one at a time.
class LibraryIndexer : public QObject {
    Q_OBJECT

public:
    LibraryIndexer(QString databasePath, QString documentsPath, TextReader read, QObject *parent = nullptr);
    ~LibraryIndexer() override;

    void start();
    // Asks for another update once the running one is done.
    void schedule();

    QString databasePath() const { return m_databasePath; }
    // True while an update reads documents; done and total as last reported.
    bool busy() const { return m_busy; }
    int done() const { return m_done; }
    int total() const { return m_total; }

Q_SIGNALS:
    // While documents are read; and once at the end of each update.
    void progress(int done, int total);
    void finished();

private:
    void runOnce();
    void watchFolders();
    void watchFiles(const QStringList &documents);
    void watchSome();

    QString m_databasePath;
    QString m_documentsPath;
    TextReader m_read;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QStringList m_listed;  // the documents the last update found, written by its thread
    QStringList m_toWatch; // files still to be watched
    QThread *m_thread = nullptr;
    std::atomic_bool m_stop = false;
    bool m_again = false;
    bool m_busy = false;
    int m_done = 0;
    int m_total = 0;
};
