#include "shell/Library.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace Library {

QString Root()
{
    return u"医薬品情報"_s;
}
QString Otc()
{
    return Root() + u"/［一般用］"_s;
}
QString Patient()
{
    return Root() + u"/［患者向け］"_s;
}
QString Medical()
{
    return Root() + u"/［医療用］"_s;
}
QString Revision()
{
    return Root() + u"/［改訂指示］"_s;
}

QStringList Folders()
{
    return {Root(), Otc(), Patient(), Medical(), Revision()};
}

void CreateFolders(const QString &documentsPath)
{
    const QDir base(documentsPath);
    for (const QString &folder : Folders())
        base.mkdir(folder); // one make-directory each: no parents, an existing one is fine
}

namespace {

// "name.pdf" as "name (n).pdf".
QString numbered(const QString &path, int n)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix();
    const QString stem
        = suffix.isEmpty() || file.completeBaseName().isEmpty() ? file.fileName() : file.completeBaseName();
    return file.path() + u'/' + stem + u" ("_s + QString::number(n) + u')'
           + (stem == file.fileName() ? QString() : QString(u'.' + suffix));
}

// Moves one file to `target` or, where that name is taken, the first free numbered
// name; never replaces a file. The name it got, or empty when it stays.
QString moveWithoutReplacing(const QString &from, const QString &target)
{
    const QByteArray source = QFile::encodeName(from);
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? target : numbered(target, n);
        const QByteArray name = QFile::encodeName(candidate);
        // A new link fails on a taken name, where rename would replace the file.
        if (::link(source.constData(), name.constData()) == 0) {
            if (::unlink(source.constData()) != 0) {
                ::unlink(name.constData());
                return {};
            }
            return candidate;
        }
        if (errno == EEXIST)
            continue;
        // Another file system, or one without links: a copy, which refuses a taken name too.
        if (QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink())
            continue;
        if (!QFile::copy(from, candidate))
            return {};
        if (!QFile::remove(from)) {
            QFile::remove(candidate);
            return {};
        }
        return candidate;
    }
    return {};
}

} // namespace

void MoveLibrary(const QString &oldBase, const QString &documentsPath, Moved &moved)
{
    const QString oldRoot = QDir::cleanPath(oldBase + u'/' + Root());
    const QString newRoot = QDir::cleanPath(documentsPath + u'/' + Root());
    const QFileInfo oldInfo(oldRoot);
    if (!oldInfo.isDir() || oldInfo.isSymLink())
        return;
    const QString oldReal = oldInfo.canonicalFilePath();
    const QString newReal = QFileInfo(newRoot).canonicalFilePath();
    if (oldReal == newReal || (!newReal.isEmpty() && newReal.startsWith(oldReal + u'/'))
        || newRoot.startsWith(oldRoot + u'/'))
        return; // the same library, or the new one inside the old

    QStringList files, folders;
    QDirIterator walk(oldRoot, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        walk.next();
        const QFileInfo entry = walk.fileInfo();
        if (entry.isDir() && !entry.isSymLink())
            folders.append(entry.filePath());
        else
            files.append(entry.filePath());
    }
    files.sort(); // the same numbers on every machine
    if (!files.isEmpty())
        moved.places.append(oldRoot);
    const QDir from(oldRoot);
    for (const QString &file : std::as_const(files)) {
        const QString target = newRoot + u'/' + from.relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        const QString got = moveWithoutReplacing(file, target);
        if (got.isEmpty()) {
            moved.left.append(file);
            continue;
        }
        ++moved.files;
        if (got != target)
            ++moved.renamed;
    }
    // Deepest first; a folder that still holds something stays.
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return a.count(u'/') > b.count(u'/'); });
    for (const QString &folder : std::as_const(folders))
        QDir().rmdir(folder);
    QDir().rmdir(oldRoot);
}

} // namespace Library
