// Peak memory of a working session: the real windows search and download against the
// practice service in the same process, as a user would drive them. Each session is
// a fresh process, so its peak resident size is its own.
//   bench_session                   runs the benchmark
//   bench_session --child=session   (internal) one session; prints "peak <KiB>"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include "ChildRun.h"
#include "PracticeServer.h"
#include "library/Form4.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "app/StartUp.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Stands in for the desktop: counts what would have been shown or opened.
class CountingDesktop final : public Desktop {
public:
    void message(QWidget *, const QString &text, const QString &title, Icon) override
    {
        std::fprintf(stderr, "message: %s / %s\n", qPrintable(title), qPrintable(text));
        ++messages;
    }
    void openDocument(QWidget *, const QString &) override { ++opened; }
    void setClipboardText(const QString &) override {}
    int messages = 0;
    int opened = 0;
};

// A result page of 1000 hits whose links lead to the practice drugs 1 to 10.
PracticeResponse ThousandHits(const PracticeRequest &)
{
    QString page = u"<HTML><BODY><P>医療用医薬品の検索結果：1000件</P><TABLE border=\"1\">\r\n"_s;
    for (int i = 1; i <= 1000; ++i)
        page += u"<TR><TD><A href=\"/sorano/hit/%1/\" target=\"_new\">ヒバリ薬%2錠２０ｍｇ「ひばり」</A></TD></TR>\r\n"
                "<TR><TD><DL><DD>ひばり製薬　血圧降下剤（持続性カルシウム拮抗剤）%2\r\n</DL></TD></TR>\r\n"_s
                    .arg((i - 1) % 10 + 1)
                    .arg(i);
    page += u"</TABLE></BODY></HTML>\r\n"_s;
    PracticeResponse response;
    response.body = ToEuc(page);
    return response;
}

// Answers every modal dialog that comes up with `act`, polling as a user's eye would.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(QDialog *)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible() && dialog != m_last) {
                m_last = dialog;
                m_act(dialog);
            }
        });
        m_timer.start(5);
    }

private:
    std::function<void(QDialog *)> m_act;
    QTimer m_timer;
    QPointer<QDialog> m_last; // a dialog on the stack may reuse the address of the one before
};

void Type(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QInputMethodEvent typing;
    typing.setCommitString(text);
    QCoreApplication::sendEvent(edit, &typing);
}

void Press(QWidget *window, const char *button)
{
    window->findChild<QPushButton *>(QLatin1StringView(button))->click();
}

int childSession(int argc, char **argv)
{
    QApplication app(argc, argv);
    ApplyAppearance(app);
    CountingDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
    QTemporaryDir work, documents;
    PrepareProgram(state, SettlePaths(QStringLiteral(HIBARI_APP_DIR), work.path(), documents.path()));

    PracticeServer server;
    server.Route("/sorano/PackinsSearch", ThousandHits); // before the practice search: this one answers
    AddPrescriptionRoutes(server);
    AddPrescriptionDocumentRoutes(server);
    AddOtcRoutes(server);
    if (!server.Listen())
        return 2;
    state.ServiceBase = server.BaseUrl();

    {
        Form1 window(context);
        window.show();
        auto *list = window.findChild<QListWidget *>(u"List1"_s);
        Type(window.findChild<QLineEdit *>(u"Text1"_s), u"ヒバリ"_s);
        Press(&window, "Command1");
        if (list->count() != 1000)
            return 3;
        // Drug 2: guide and insert; drug 8: guide, insert and four manuals, all ticked.
        DialogAnswerer answer([](QDialog *dialog) {
            if (auto *manuals = dialog->findChild<QListWidget *>(u"List1"_s)) {
                if (dialog->findChild<QCheckBox *>(u"Check1"_s)) {
                    manuals->selectAll();
                    Press(dialog, "Command1");
                    return;
                }
                // the revision history: its first entry, then close
                manuals->setCurrentRow(0);
                Press(dialog, "Command2");
                Press(dialog, "Command1");
            }
        });
        for (const int row : {1, 7, 991}) {
            list->setCurrentRow(row);
            Press(&window, "Command2");
        }
        list->setCurrentRow(5); // drug 6 has a revision history
        Press(&window, "Command6");
        Press(&window, "Command8"); // memo of 1000 hits
        window.close();
    }
    {
        Form3 window(context);
        window.show();
        Type(window.findChild<QLineEdit *>(u"Text1"_s), u"ハルカゼ"_s);
        Press(&window, "Command1");
        auto *list = window.findChild<QListWidget *>(u"List1"_s);
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            Press(&window, "Command4");
        }
        window.close();
    }
    {
        Form4 window(context);
        window.show();
        for (const char *option : {"Option1", "Option2", "Option3", "Option4"})
            window.findChild<QRadioButton *>(QLatin1StringView(option))->click();
        window.close();
    }
    QCoreApplication::processEvents();
    // 2 + 6 + 2 prescription documents, one revision entry, the memo, the OTC documents
    if (desktop.messages != 0 || desktop.opened < 13)
        return 4;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak %ld\n", usage.ru_maxrss);
    std::fflush(stdout);
    return 0;
}

// Runs one session; returns its seconds, or a negative number when it failed.
double runSession(long *peakKiB)
{
    const ChildRun run = runSelf({"--child=session"});
    if (!run.ok || std::sscanf(run.output.c_str(), "peak %ld", peakKiB) != 1)
        return -1;
    return run.seconds;
}

void BM_SearchAndDownloadSession(benchmark::State &state)
{
    double peakSum = 0;
    for (auto _ : state) {
        long peak = 0;
        const double seconds = runSession(&peak);
        if (seconds < 0) {
            state.SkipWithError("the session did not run through");
            return;
        }
        state.SetIterationTime(seconds);
        peakSum += double(peak);
    }
    state.counters["peak_MiB"] = benchmark::Counter(peakSum / 1024.0, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_SearchAndDownloadSession)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--child=session") == 0)
            return childSession(argc, argv);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
