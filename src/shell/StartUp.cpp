#include "shell/StartUp.h"

#include <QDir>
#include <QFileInfo>

#include "shell/Library.h"
#include "shell/ProgramState.h"
#include "shell/TemporaryFiles.h"

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
    const bool documentsUsable = !documentsDir.isEmpty() && QFileInfo(documentsDir).isDir();
    const QString root = documentsUsable ? withoutTrailingSlash(documentsDir) : paths.WorkPath;
    paths.DocumentsPath = root.endsWith(u'/') ? root : root + u'/';
    return paths;
}

void PrepareProgram(ProgramState &state, const StartPaths &paths)
{
    state.AppPath = paths.AppPath;
    state.WorkPath = paths.WorkPath;
    state.DocumentsPath = paths.DocumentsPath;
    state.MemoPath = paths.MemoPath;
    if (paths.Installed)
        QDir().mkpath(paths.WorkPath);
    Library::CreateFolders(state.DocumentsPath);
    for (const QString &folder : Library::Folders())
        TemporaryFiles::RemoveStale(state.DocumentsPath + folder);
    LoadEucTable(state.Tables, state.AppPath + u"/E2S.param");
    state.FetchInsert = true;
    state.FetchGuide = true;
}
