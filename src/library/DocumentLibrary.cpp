#include "library/DocumentLibrary.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype NameMaxBytes = 255; // longest file name the file systems here accept

bool present(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink(); // a dangling link still takes the name
}

QString vanishedText(const QString &name)
{
    return Messages::RenameVanished.arg(name);
}

QString existsText(const QString &name)
{
    return Messages::RenameExists.arg(name);
}

} // namespace

QStringList ListDocuments(const QString &folder)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return {};
    return dir.entryList({u"*.pdf"_s}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
}

QString DocumentTitle(const QString &fileName)
{
    return fileName.chopped(qMin<qsizetype>(4, fileName.size()));
}

QString RenamedFileName(const QString &typed)
{
    if (typed.right(4).compare(u".pdf"_s, Qt::CaseInsensitive) == 0)
        return typed.chopped(4) + u".pdf"_s;
    return typed + u".pdf"_s;
}

QString RenameDocument(const QString &folder, const QString &oldName, const QString &newName)
{
    // Refused before anything is tried: a name that leads out of the folder, or one the
    // list could not show (blank, hidden, holding a line break).
    const QString title = RenamedFileName(newName).chopped(4);
    if (title.trimmed().isEmpty())
        return Messages::BlankName;
    if (newName.contains(u'/'))
        return Messages::SlashInName;
    if (newName.startsWith(u'.'))
        return Messages::DotName;
    if (std::any_of(newName.cbegin(), newName.cend(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return Messages::ControlCharacterName;
    if (newName == oldName)
        return {};
    if (QFile::encodeName(newName).size() > NameMaxBytes)
        return Messages::NameTooLong;

    const QString oldPath = folder + u'/' + oldName;
    const QString newPath = folder + u'/' + newName;
    if (!present(oldPath))
        return vanishedText(oldName);
    const bool caseOnly = oldName.compare(newName, Qt::CaseInsensitive) == 0; // one file on a case-blind disk
    if (present(newPath) && !caseOnly)
        return existsText(newName);
    QFile file(oldPath);
    if (file.rename(newPath))
        return {};

    // QFile refuses an existing target instead of replacing it (another program may
    // have made one since the check); say why in the user's language.
    if (!present(oldPath))
        return vanishedText(oldName);
    if (present(newPath))
        return existsText(newName);
    if (!QFileInfo(folder).isWritable())
        return Messages::RenameNotPermitted;
    return Messages::RenameFailed + u"\n("_s + file.errorString() + u')';
}
