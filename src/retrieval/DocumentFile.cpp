#include "retrieval/DocumentFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::Literals::StringLiterals;

namespace {

// Closes the descriptor and removes the temporary file unless it was renamed.
struct TemporaryFile {
    QByteArray path;
    int fd = -1;
    bool renamed = false;

    ~TemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!renamed && !path.isEmpty())
            ::unlink(path.constData());
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

QString DescribeFileError(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT: return u"ディスクの空き容量が足りません。"_s;
    case EFBIG: return u"ファイルの大きさが上限を超えました。"_s;
    case EACCES:
    case EPERM: return u"書き込む権限がありません。"_s;
    case EROFS: return u"読み取り専用のファイルシステムには書き込めません。"_s;
    case EISDIR: return u"同じ名前のフォルダーがあるため、ファイルを保存できません。"_s;
    case ENOTDIR: return u"保存先のフォルダーがある場所に、同じ名前のファイルがあります。"_s;
    case ENOENT: return u"保存先のフォルダーがありません。"_s;
    case ENAMETOOLONG: return u"ファイル名が長すぎます。"_s;
    case EIO: return u"ディスクの読み書きに失敗しました。"_s;
    default: return u"ファイルを書き込めませんでした。 ("_s + QString::fromLocal8Bit(std::strerror(errorNumber)) + u')';
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

    TemporaryFile temporary;
    for (int attempt = 0; attempt < 100 && temporary.fd < 0; ++attempt) {
        const QByteArray name
            = folder + "/.hibari-" + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        temporary.fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temporary.fd >= 0)
            temporary.path = name;
        else if (errno != EEXIST)
            return DescribeFileError(errno);
    }
    if (temporary.fd < 0)
        return DescribeFileError(EEXIST);
    // A replaced file keeps its permissions.
    if (exists)
        ::fchmod(temporary.fd, existing.st_mode & 07777);

    if (!writeAll(temporary.fd, bytes) || ::fsync(temporary.fd) != 0)
        return DescribeFileError(errno);
    const int fd = temporary.fd;
    temporary.fd = -1;
    if (::close(fd) != 0)
        return DescribeFileError(errno);
    if (::rename(temporary.path.constData(), target.constData()) != 0)
        return DescribeFileError(errno);
    temporary.renamed = true;
    return {};
}
