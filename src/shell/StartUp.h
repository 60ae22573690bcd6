#pragma once

#include <QString>

struct ProgramState;

// The paths of a run, as start-up settles them.
struct StartPaths {
    QString AppPath;  // the parameter files and the manual
    QString WorkPath; // Temp.txt
    QString DocumentsPath;
    QString MemoPath; // the memo files
    bool Installed = false;
};

// applicationDir: the executable's folder (may be empty); currentDir: the current
// directory; documentsDir: the desktop's documents folder (empty when unknown);
// userDataDir: the per-user data folder (empty when unknown).
// Run in place (the parameter files beside the executable, or no installed data
// folder beside its bin folder) everything is read and written as always: AppPath
// is the executable's folder, WorkPath the current directory. Installed, the data
// comes from HIBARI_DATA_FROM_BIN relative to the executable ("../share/hibari") and
// the memo files and Temp.txt go to userDataDir, never into the install tree.
StartPaths SettlePaths(const QString &applicationDir, const QString &currentDir, const QString &documentsDir,
                       const QString &userDataDir = QString());

// Everything of start-up that needs no window: paths into state, the library
// folders (without the temporary files of killed writers), the conversion table,
// the document-kind choice.
void PrepareProgram(ProgramState &state, const StartPaths &paths);
