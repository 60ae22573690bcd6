#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "library/Form4.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "shell/MainModule.h"
#include "shell/frmMain.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hibari"));
    ApplyAppearance(app);

    QtDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};

    frmMain::Windows windows;
    windows.Otc = [](AppContext &c) -> WorkingWindow * { return new Form3(c); };
    windows.Prescription = [](AppContext &c) -> WorkingWindow * { return new Form1(c); };
    windows.Disk = [](AppContext &c) -> WorkingWindow * { return new Form4(c); };
    frmMain menu(context, windows);
    Main(menu, state,
         SettlePaths(QCoreApplication::applicationDirPath(), QDir::currentPath(),
                     QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    return app.exec();
}
