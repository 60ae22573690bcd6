#pragma once

#include <QString>

struct ProgramState;

// The three paths of a run, as start-up settles them.
struct StartPaths {
    QString AppPath;
    QString WorkPath;
    QString DocumentsPath;
};

// applicationDir: the executable's folder (may be empty); currentDir: the current
// directory; documentsDir: the desktop's documents folder (empty when unknown).
StartPaths SettlePaths(const QString &applicationDir, const QString &currentDir, const QString &documentsDir);

// Everything of start-up that needs no window: paths into state, the library
// folders, the conversion table, the document-kind choice.
void PrepareProgram(ProgramState &state, const StartPaths &paths);
