#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "fulltext/Form7.h"
#include "fulltext/LibraryIndexer.h"
#include "library/Form4.h"
#include "library/MemoCommand.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "shell/CommandLine.h"
#include "shell/Messages.h"
#include "shell/MainModule.h"
#include "shell/frmMain.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    // The name also names the per-user folder (~/.local/share/hibari) and the desktop entry.
    QCoreApplication::setApplicationName(u"hibari"_s);

    // Read before any window system is needed, so --help and --version work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line
        = ParseCommandLine(arguments, qEnvironmentVariable("HIBARI_SERVICE_BASE"), QStringLiteral(HIBARI_SERVICE_BASE));
    if (line.action == CommandLine::Action::Help || line.action == CommandLine::Action::Version) {
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Fail)
        std::fputs((u"hibari: "_s + line.text + u'\n').toLocal8Bit().constData(), stderr);

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(u"hibari"_s);
    ApplyAppearance(app);
    QtDesktop desktop;
    if (line.action == CommandLine::Action::Fail) {
        desktop.Message(nullptr, line.text, Messages::StartErrorTitle, Desktop::Icon::Exclamation);
        return 2;
    }

    ProgramState state;
    state.ServiceBase = line.ServiceBase;
    AppContext context{state, desktop};

    frmMain::Windows windows;
    windows.Otc = [](AppContext &c) -> WorkingWindow * { return new Form3(c); };
    windows.Prescription = [](AppContext &c) -> WorkingWindow * { return new Form1(c); };
    windows.Disk = [](AppContext &c) -> WorkingWindow * { return new Form4(c); };

    // The full-text index lives in the per-user data folder and is kept current by a
    // thread of its own from the end of start-up; the PDFs are read by the helper.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString helper = PdfTextHelper(QCoreApplication::applicationDirPath());
    std::unique_ptr<LibraryIndexer> indexer;
    windows.Contents = [&](AppContext &c) -> WorkingWindow * {
        Form7::Services services;
        services.indexer = indexer.get();
        services.indexPath = indexer ? indexer->DatabasePath() : QString();
        services.helper = helper;
        services.memo = [&c](QWidget *owner, const QString &name, const QStringList &lines, bool empty) {
            RunMemo(c, owner, name, lines, empty);
        };
        return new Form7(c, services);
    };
    frmMain menu(context, windows);
    Main(menu, state,
         SettlePaths(QCoreApplication::applicationDirPath(), QDir::currentPath(),
                     QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), userData));
    if (!userData.isEmpty()) {
        indexer = std::make_unique<LibraryIndexer>(userData + u"/fulltext.sqlite"_s, state.DocumentsPath,
                                                   [helper](const QString &file) { return ReadPdfText(helper, file); });
        indexer->Start();
    }
    const int status = app.exec();
    return status;
}
