#include "retrieval/DocumentFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "shell/TemporaryFiles.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Removes the temporary file unless it was renamed, and closes it.
struct TemporaryFile {
    QByteArray path;
    int fd = -1;
    bool renamed = false;

    ~TemporaryFile()
    {
        // Removed while still locked, so no cleaner races us for it.
        if (!renamed && !path.isEmpty())
            ::unlink(path.constData());
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

} // namespace

int ReplaceDurably(const QByteArray &temporary, const QByteArray &target, const QByteArray &folder)
{
    // Windows: MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
    // or ReplaceFileW where the target's attributes are to be kept; the write-through
    // flag stands for the folder's fsync, which Windows has no call for.
    if (::rename(temporary.constData(), target.constData()) != 0)
        return errno;
    // The new name is in the folder's own data: without this a power cut can bring
    // back the earlier file after the save was reported. The file is in place either
    // way, so a folder that cannot be opened or synced does not fail the save.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return 0;
}

QString DescribeFileError(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT: return Messages::DiskFull;
    case EFBIG: return Messages::FileTooLarge;
    case EACCES:
    case EPERM: return Messages::WriteNotPermitted;
    case EROFS: return Messages::ReadOnlyFileSystem;
    case EISDIR: return Messages::FolderOfSameName;
    case ENOTDIR: return Messages::FileInPlaceOfFolder;
    case ENOENT: return Messages::NoTargetFolder;
    case ENAMETOOLONG: return Messages::FileNameTooLong;
    case EIO: return Messages::DiskIoFailed;
    default: return Messages::FileNotWritten + u" ("_s + QString::fromLocal8Bit(std::strerror(errorNumber)) + u')';
    }
}

QString WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).path());

    // A folder where the file should be would otherwise show up only at the rename.
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return DescribeFileError(EISDIR);

    // Leftovers of a writer that was killed while saving here go first.
    TemporaryFiles::RemoveStaleOnce(QFile::decodeName(folder));
    TemporaryFile temporary;
    const TemporaryFiles::Created created = TemporaryFiles::Create(folder);
    if (created.fd < 0)
        return DescribeFileError(created.errorNumber);
    temporary.fd = created.fd;
    temporary.path = created.path;
    // A replaced file keeps its permissions.
    if (exists)
        ::fchmod(temporary.fd, existing.st_mode & 07777);

    if (!writeAll(temporary.fd, bytes) || ::fsync(temporary.fd) != 0)
        return DescribeFileError(errno);
    // The file stays open, and so locked, until it has its final name: no cleaner of
    // another copy of the program takes it for a leftover in between.
    if (const int failure = ReplaceDurably(temporary.path, target, folder); failure != 0)
        return DescribeFileError(failure);
    temporary.renamed = true; // the data is on the disk already: closing cannot lose it
    return {};
}
