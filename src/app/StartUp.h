#pragma once

#include <QString>
#include <QStringList>

#include "shell/Library.h"

struct ProgramState;

// The paths of a run, as start-up settles them.
struct StartPaths {
    QString AppPath;  // the parameter files and the manual
    QString WorkPath; // Temp.txt
    QString DocumentsPath;
    QString MemoPath; // the memo files
    bool Installed = false;
    QStringList EarlierLibraries; // folders that may hold a library of an earlier version
};

// applicationDir: the executable's folder (may be empty); currentDir: the current
// directory; documentsDir: the desktop's documents folder (empty when unknown);
// userDataDir: the per-user data folder (empty when unknown).
// Run in place (the parameter files beside the executable, or no installed data
// folder beside its bin folder) everything is read and written as always: AppPath
// is the executable's folder, WorkPath the current directory. Installed, the data
// comes from HIBARI_DATA_FROM_BIN relative to the executable ("../share/hibari") and
// the memo files and Temp.txt go to userDataDir, never into the install tree.
// The library is always under documentsDir (made when missing; without one known,
// "Documents" in the home folder); the current directory (run in place) and
// userDataDir are where earlier versions put it without a documents folder.
StartPaths SettlePaths(const QString &applicationDir, const QString &currentDir, const QString &documentsDir,
                       const QString &userDataDir = QString());

// Everything of start-up that needs no window: paths into state, the library
// folders (an earlier library moved in, without the temporary files of killed
// writers), the conversion table, the document-kind choice. Returns what the user is
// told about a library that was moved, or nothing.
QString PrepareProgram(ProgramState &state, const StartPaths &paths);

// The one message about a moved library, empty when nothing was moved; library: the
// folder it was moved to.
QString LibraryMovedText(const Library::Moved &moved, const QString &library);
