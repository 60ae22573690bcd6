#pragma once

#include <QList>
#include <QString>

#include "conversion/EucTable.h"
#include "shell/Messages.h"

// A proxy's user name and password as the user typed them.
struct ProxyCredentials {
    QString user;
    QString password;
};

// What the whole program shares for one run: the paths settled at start-up, the
// conversion tables, the service's address and the document-kind choice of the
// prescription window. Nothing of it is saved between runs.
struct ProgramState {
    QString AppPath;       // parameter files and manual: the executable's folder (installed: ../share/hibari)
    QString WorkPath;      // Temp.txt: current directory at start-up (installed: the per-user folder)
    QString DocumentsPath; // documents folder, always with a trailing "/"
    QString MemoPath;      // folder of the memo files; empty: AppPath
    QString ServiceBase = QStringLiteral(HIBARI_SERVICE_BASE);
    QString ServiceBaseSource = Messages::BaseFromBuild; // where ServiceBase was set, as the user is told
    EucTable Tables;                                     // E2STable and S2ETable

    bool FetchInsert = true;
    bool FetchGuide = true;
    QList<bool> ManualMarks;

    int TransferTimeoutMs = 60000; // without progress
    int ProgressDelayMs = 500;     // a transfer running this long shows "通信中"

    ProxyCredentials ProxyLogin; // as the user last gave them; memory only, never saved

    QString OriginsPath; // the index database, which also records where saved documents came from; empty: none
};
