#pragma once

#include <QList>
#include <QString>

#include "retrieval/ESConv.h"

// What the whole program shares for one run: the paths settled at start-up, the
// conversion tables, the service's address and the document-kind choice of the
// prescription window. Nothing of it is saved between runs.
struct ProgramState {
    QString AppPath;       // folder of the executable, no trailing "/"
    QString WorkPath;      // current directory at start-up, no trailing "/"
    QString DocumentsPath; // documents folder, always with a trailing "/"
    QString ServiceBase = QStringLiteral(HIBARI_SERVICE_BASE);
    EucTable Tables;       // E2STable and S2ETable

    bool FetchInsert = true;
    bool FetchGuide = true;
    QList<bool> ManualMarks;

    int TransferTimeoutMs = 60000; // without progress
    int ProgressDelayMs = 500;     // a transfer running this long shows "通信中"
};
