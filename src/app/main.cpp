#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "fulltext/Form7.h"
#include "fulltext/LibraryIndexer.h"
#include "library/Form4.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "shell/Accessibility.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "app/CommandLine.h"
#include "shell/Messages.h"
#include "app/MainModule.h"
#include "app/frmMain.h"

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
        = ParseCommandLine(arguments, qEnvironmentVariable("HIBARI_SERVICE_BASE"), QStringLiteral(HIBARI_SERVICE_BASE),
                           ReadConfiguredBases(ConfigurationFiles()));
    if (line.action == CommandLine::Action::Help || line.action == CommandLine::Action::Version) {
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Fail) {
        std::fputs((u"hibari: "_s + line.text + u'\n').toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        // The reason is also shown in a window where there is a display to show it on;
        // without one, Qt would end the program by abort, so a window system that
        // cannot be reached falls back to one without a screen, and nothing is shown.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM",
                    qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen" : "wayland;xcb;offscreen");
        else
            qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM") + ";offscreen");
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(u"hibari"_s);
    ApplyAppearance(app);
    NameControlsForReader(app);
    QtDesktop desktop;
    if (line.action == CommandLine::Action::Fail) {
        const QString platform = QGuiApplication::platformName();
        if (platform != u"offscreen"_s && platform != u"minimal"_s)
            desktop.message(nullptr, line.text, Messages::StartErrorTitle, Desktop::Icon::Exclamation);
        return 2;
    }

    ProgramState state;
    state.ServiceBase = line.ServiceBase;
    state.ServiceBaseSource = line.ServiceBaseSource;
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
        services.indexPath = indexer ? indexer->databasePath() : QString();
        services.helper = helper;
        return new Form7(c, services);
    };
    frmMain menu(context, windows);
    Main(menu, state,
         SettlePaths(QCoreApplication::applicationDirPath(), QDir::currentPath(),
                     QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), userData),
         &desktop);
    if (!userData.isEmpty()) {
        state.OriginsPath = userData + u"/fulltext.sqlite"_s;
        indexer = std::make_unique<LibraryIndexer>(userData + u"/fulltext.sqlite"_s, state.DocumentsPath,
                                                   [helper](const QString &file) { return ReadPdfText(helper, file); });
        indexer->start();
    }
    return app.exec();
}
