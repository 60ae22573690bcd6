#include <QApplication>
#include <QDir>
#include <QStandardPaths>

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
    frmMain menu(context, windows);
    Main(menu, state,
         SettlePaths(QCoreApplication::applicationDirPath(), QDir::currentPath(),
                     QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    return app.exec();
}
