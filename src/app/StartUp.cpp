#include "app/StartUp.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "shell/Library.h"
#include "shell/Messages.h"
#include "shell/ProgramState.h"
#include "shell/TemporaryFiles.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

StartPaths SettlePaths(const QString &applicationDir, const QString &currentDir, const QString &documentsDir,
                       const QString &userDataDir)
{
    StartPaths paths;
    paths.WorkPath = withoutTrailingSlash(currentDir);
    paths.AppPath = applicationDir.isEmpty() ? paths.WorkPath : withoutTrailingSlash(applicationDir);
    paths.MemoPath = paths.AppPath;
    const QString installedData = QDir::cleanPath(paths.AppPath + u'/' + QStringLiteral(HIBARI_DATA_FROM_BIN));
    paths.Installed = !applicationDir.isEmpty() && !QFileInfo::exists(paths.AppPath + u"/E2S.param")
                      && QFileInfo(installedData).isDir();
    if (paths.Installed) {
        paths.AppPath = installedData;
        if (!userDataDir.isEmpty())
            paths.WorkPath = withoutTrailingSlash(userDataDir);
        paths.MemoPath = paths.WorkPath;
    }
    // Always the desktop's documents folder, made at start-up when missing: a library
    // that sat elsewhere whenever that folder was missing would be lost to the user
    // once the folder appeared.
    const QString root
        = withoutTrailingSlash(documentsDir.isEmpty() ? QDir::homePath() + u"/Documents"_s : documentsDir);
    paths.DocumentsPath = root.endsWith(u'/') ? root : root + u'/';
    // Where earlier versions put the library without a documents folder: the current
    // directory when run in place, the per-user data folder when installed.
    if (!paths.Installed)
        paths.EarlierLibraries.append(paths.WorkPath);
    if (!userDataDir.isEmpty())
        paths.EarlierLibraries.append(withoutTrailingSlash(userDataDir));
    paths.EarlierLibraries.removeDuplicates();
    paths.EarlierLibraries.removeAll(root);
    return paths;
}

QString PrepareProgram(ProgramState &state, const StartPaths &paths)
{
    state.AppPath = paths.AppPath;
    state.WorkPath = paths.WorkPath;
    state.DocumentsPath = paths.DocumentsPath;
    state.MemoPath = paths.MemoPath;
    if (paths.Installed)
        QDir().mkpath(paths.WorkPath);
    QDir().mkpath(state.DocumentsPath);
    Library::Moved moved;
    for (const QString &earlier : paths.EarlierLibraries)
        Library::MoveLibrary(earlier, state.DocumentsPath, moved);
    Library::CreateFolders(state.DocumentsPath);
    for (const QString &folder : Library::Folders())
        TemporaryFiles::RemoveStale(state.DocumentsPath + folder);
    LoadEucTable(state.Tables, state.AppPath + u"/E2S.param");
    state.FetchInsert = true;
    state.FetchGuide = true;
    return LibraryMovedText(moved, state.DocumentsPath + Library::Root());
}

QString LibraryMovedText(const Library::Moved &moved, const QString &library)
{
    if (moved.files == 0 && moved.left.isEmpty())
        return {};
    QString text = Messages::LibraryMoved.arg(QLocale().toString(moved.files), moved.places.join(u"」「"_s), library);
    if (moved.renamed > 0)
        text += Messages::LibraryMovedRenamed.arg(QLocale().toString(moved.renamed));
    if (!moved.left.isEmpty())
        text += Messages::LibraryMovedLeft.arg(QLocale().toString(moved.left.size()), moved.left.join(u'\n'));
    return text;
}
