#include "shell/TemporaryFiles.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace TemporaryFiles {

namespace {

const QString Prefix = u".hibari-"_s;
const QString Suffix = u".tmp"_s;

// flock, retried when a signal interrupts it. On Windows a writer would open the file
// without FILE_SHARE_DELETE instead: nobody can remove it while it is open.
bool lockFile(int fd, bool wait)
{
    int result;
    do {
        result = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

bool IsTemporaryName(const QString &fileName)
{
    if (!fileName.startsWith(Prefix) || !fileName.endsWith(Suffix))
        return false;
    const QStringView middle
        = QStringView(fileName).mid(Prefix.size(), fileName.size() - Prefix.size() - Suffix.size());
    if (middle.isEmpty() || middle.size() > 7) // a 32-bit number in base 36
        return false;
    for (const QChar c : middle) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z')))
            return false;
    }
    return true;
}

Created Create(const QByteArray &folder)
{
    Created created;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = folder + '/' + QFile::encodeName(Prefix)
                                + QByteArray::number(QRandomGenerator::global()->generate(), 36)
                                + QFile::encodeName(Suffix);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            created.errorNumber = errno;
            return created;
        }
        // A cleaner may have taken the file between its creation and this lock, taking
        // it for a leftover: it removes it while holding the lock, so a file still
        // linked once the lock is ours is ours for good.
        struct stat status {};
        if (!lockFile(fd, true) || ::fstat(fd, &status) != 0) {
            created.errorNumber = errno;
            ::close(fd);
            ::unlink(name.constData());
            return created;
        }
        if (status.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        created.fd = fd;
        created.path = name;
        return created;
    }
    created.errorNumber = EEXIST;
    return created;
}

int RemoveStale(const QString &folder)
{
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QStringList{QString(Prefix + u'*' + Suffix)},
                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!IsTemporaryName(name))
            continue;
        const QByteArray path = QFile::encodeName(folder + u'/' + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {
        }, named{};
        // Held by a running writer, or no longer the file of that name (renamed into
        // place while we waited to open it): left alone.
        if (lockFile(fd, false) && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode)
            && ::lstat(path.constData(), &named) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino
            && ::unlink(path.constData()) == 0)
            ++removed;
        ::close(fd); // also lets go of the lock
    }
    return removed;
}

void RemoveStaleOnce(const QString &folder)
{
    static QMutex mutex;
    static QSet<QString> cleaned;
    const QString key = QDir::cleanPath(folder);
    {
        const QMutexLocker lock(&mutex);
        if (cleaned.contains(key))
            return;
        cleaned.insert(key);
    }
    RemoveStale(key);
}

} // namespace TemporaryFiles
