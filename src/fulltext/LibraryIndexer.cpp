#include "fulltext/LibraryIndexer.h"

#include <sys/resource.h>

#include <deque>
#include <future>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "fulltext/FullTextIndex.h"
#include "shell/Library.h"

using namespace Qt::Literals::StringLiterals;

QStringList LibraryDocuments(const QString &documentsPath)
{
    QStringList documents;
    const QDir base(documentsPath);
    for (const QString &folder : Library::Folders()) {
        const QDir dir(base.filePath(folder));
        const QStringList names
            = dir.entryList({u"*.pdf"_s}, QDir::Files | QDir::Hidden | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        for (const QString &name : names)
            documents.append(folder + u'/' + name);
    }
    documents.sort();
    return documents;
}

bool UpdateIndex(FullTextIndex &index, const QString &documentsPath, const TextReader &read,
                 const std::function<void(int done, int total)> &progress, const std::atomic_bool &stop)
{
    const QDir base(documentsPath);
    QHash<QString, FullTextIndex::Stamp> stored = index.stamps();
    QHash<QString, FullTextIndex::Stamp> present;
    for (const QString &path : LibraryDocuments(documentsPath)) {
        const QFileInfo info(base.filePath(path));
        present.insert(path, {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }

    // Gone: removed, or renamed when a new path has the same stamp.
    QStringList toRead;
    for (auto it = present.cbegin(); it != present.cend(); ++it) {
        if (stored.value(it.key(), {-1, -1}) != it.value())
            toRead.append(it.key());
    }
    toRead.sort();
    QStringList gone;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (!present.contains(it.key()))
            gone.append(it.key());
    }
    for (const QString &old : std::as_const(gone)) {
        const FullTextIndex::Stamp stamp = stored.value(old);
        const auto same = std::find_if(toRead.begin(), toRead.end(), [&](const QString &path) {
            return !stored.contains(path) && present.value(path) == stamp && stamp.size > 0;
        });
        if (same != toRead.end() && index.move(old, *same)) {
            toRead.erase(same);
            continue;
        }
        if (!index.remove(old))
            return false;
    }

    // Two documents are read at a time, each by a helper process of its own, while
    // the index stores the one before; a few documents are committed together.
    constexpr int Batch = 8;
    const int total = int(toRead.size());
    std::deque<std::future<std::optional<QStringList>>> reading;
    int next = 0;
    const auto fill = [&] {
        while (next < total && reading.size() < ParallelReads) {
            const QString file = base.filePath(toRead.at(next++));
            reading.push_back(std::async(std::launch::async, [&read, file] { return read(file); }));
        }
    };
    for (int i = 0; i < total; ++i) {
        if (stop)
            return index.commitBatch(); // the reads under way finish as their futures go
        fill();
        if (progress)
            progress(i, total);
        const std::optional<QStringList> pages = reading.front().get();
        reading.pop_front();
        const QString &path = toRead.at(i);
        if ((i % Batch == 0 && !index.beginBatch()) || !index.store(path, present.value(path), pages)
            || ((i % Batch == Batch - 1 || i == total - 1) && !index.commitBatch()))
            return false;
    }
    if (progress)
        progress(total, total);
    return true;
}

LibraryIndexer::LibraryIndexer(QString databasePath, QString documentsPath, TextReader read, QObject *parent)
    : QObject(parent), m_databasePath(std::move(databasePath)), m_documentsPath(std::move(documentsPath)),
      m_read(std::move(read))
{
    // Saving writes a temporary file and renames it: one update after the folder settles.
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_settle, &QTimer::timeout, this, &LibraryIndexer::schedule);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
    // A document written over in place changes no folder: its file is watched too.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
}

LibraryIndexer::~LibraryIndexer()
{
    m_stop = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void LibraryIndexer::watchFolders()
{
    const QDir base(m_documentsPath);
    QStringList folders;
    for (const QString &folder : Library::Folders()) {
        const QString path = base.filePath(folder);
        if (QFileInfo(path).isDir() && !m_watcher.directories().contains(path))
            folders.append(path);
    }
    if (!folders.isEmpty())
        m_watcher.addPaths(folders);
}

void LibraryIndexer::watchFiles(const QStringList &documents)
{
    // A file replaced or removed drops out of the watcher by itself.
    const QStringList watched = m_watcher.files();
    const QSet<QString> known(watched.cbegin(), watched.cend());
    const QDir base(m_documentsPath);
    m_toWatch.clear();
    for (const QString &path : documents) {
        const QString file = base.filePath(path);
        if (!known.contains(file))
            m_toWatch.append(file);
    }
    watchSome();
}

void LibraryIndexer::watchSome()
{
    // A few hundred at a time, so that a large library never holds up the windows.
    constexpr qsizetype Batch = 200;
    const QStringList files = m_toWatch.mid(0, Batch);
    m_toWatch.remove(0, files.size());
    if (!files.isEmpty())
        m_watcher.addPaths(files);
    if (!m_toWatch.isEmpty())
        QTimer::singleShot(0, this, &LibraryIndexer::watchSome);
}

void LibraryIndexer::start()
{
    watchFolders();
    schedule();
}

void LibraryIndexer::schedule()
{
    if (m_thread) {
        m_again = true;
        return;
    }
    runOnce();
}

void LibraryIndexer::runOnce()
{
    watchFolders();
    m_busy = true;
    m_again = false;
    m_thread = QThread::create([this] {
        // Below the windows: this thread's own priority, as the helpers' (Linux sets
        // it for the calling thread alone).
        setpriority(PRIO_PROCESS, 0, 10);
        FullTextIndex index(m_databasePath);
        if (!index.openForUpdate())
            return;
        m_listed.clear();
        UpdateIndex(
            index, m_documentsPath, m_read,
            [this](int done, int total) {
                QMetaObject::invokeMethod(
                    this,
                    [this, done, total] {
                        m_done = done;
                        m_total = total;
                        Q_EMIT progress(done, total);
                    },
                    Qt::QueuedConnection);
            },
            m_stop);
        m_listed = LibraryDocuments(m_documentsPath);
    });
    connect(m_thread, &QThread::finished, this, [this] {
        watchFiles(m_listed);
        m_thread->deleteLater();
        m_thread = nullptr;
        m_busy = false;
        Q_EMIT finished();
        if (m_again && !m_stop)
            runOnce();
    });
    m_thread->setObjectName(u"hibari-index"_s);
    m_thread->start(QThread::LowPriority);
}
