// The whole road of one drug, as a user walks it, against the practice service played
// far away (a 50 ms round trip): a search, the hit's page and foot page, and its
// documents with four manuals. The floor is curl fetching the same URLs, in the same
// order, over one connection through the same delay. Each road is a fresh process.
//   bench_road                                   runs the benchmarks
//   bench_road --child=road --base=<service>     (internal) one road; prints "road <s>"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTimer>

#include "ChildRun.h"
#include "prescription/Form1.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "app/StartUp.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int LatencyMs = 25;      // each way: a round trip of 50 ms
constexpr int ManualDocuments = 6; // insert, guide and four manuals

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

void Press(QWidget *window, const char *button)
{
    window->findChild<QPushButton *>(QLatin1StringView(button))->click();
}

std::string tlsFile(const char *name)
{
    return std::string(HIBARI_SOURCE_DIR "/tests/support/tls/") + name;
}

int childRoad(int argc, char **argv, const QString &base)
{
    QApplication app(argc, argv);
    ApplyAppearance(app);
    // The practice certificate alone is trusted, as curl is told (--cacert): one
    // certificate, where a user's system reads the one root it needs from its folder.
    QSslConfiguration trust = QSslConfiguration::defaultConfiguration();
    trust.setCaCertificates(QSslCertificate::fromPath(QString::fromStdString(tlsFile("ca.pem"))));
    QSslConfiguration::setDefaultConfiguration(trust);
    CountingDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
    QTemporaryDir work, documents;
    PrepareProgram(state, SettlePaths(QStringLiteral(HIBARI_APP_DIR), work.path(), documents.path()));
    state.ServiceBase = base;

    Form1 window(context);
    window.show();
    auto *list = window.findChild<QListWidget *>(u"List1"_s);
    auto *name = window.findChild<QLineEdit *>(u"Text1"_s);
    QInputMethodEvent typing;
    typing.setCommitString(u"ヒバリゾン"_s);
    QCoreApplication::sendEvent(name, &typing);
    QCoreApplication::processEvents();

    // The document-kind dialog: every manual ticked, then "OK", as soon as it is up.
    QPointer<QDialog> answered;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &answerer, [&answered] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == answered)
            return;
        answered = dialog;
        dialog->findChild<QListWidget *>(u"List1"_s)->selectAll();
        Press(dialog, "Command1");
    });
    answerer.start(1);

    QElapsedTimer clock;
    clock.start();
    Press(&window, "Command1");
    if (list->count() != 1)
        return 3;
    list->setCurrentRow(0);
    Press(&window, "Command2");
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (desktop.messages != 0 || desktop.opened != ManualDocuments)
        return 4;
    std::printf("road %.6f\n", seconds);
    std::fflush(stdout);
    return 0;
}

struct Scheme {
    std::unique_ptr<ServiceProcess> service;
    std::string log;               // the service's output: one line per request
    std::string base;              // "http://127.0.0.1:<port>"
    std::vector<std::string> urls; // what the program asked for on its road, in order
};

std::map<std::string, Scheme> g_schemes;

// The service for `scheme`, with the URLs of one road of the program recorded.
Scheme *schemeFor(const std::string &scheme)
{
    Scheme &found = g_schemes[scheme];
    if (found.service) // made already, whether or not it served
        return found.urls.empty() ? nullptr : &found;
    found.log = "/tmp/hibari-bench-road-" + scheme + "-" + std::to_string(getpid()) + ".log";
    std::vector<std::string> options{"--latency", std::to_string(LatencyMs), "--print-requests"};
    if (scheme == "https")
        options.insert(options.end(), {"--tls-cert", tlsFile("server.pem"), "--tls-key", tlsFile("server.key")});
    found.service = std::make_unique<ServiceProcess>(HIBARI_PRACTICE_SERVICE, options, found.log);
    if (found.service->port().empty())
        return nullptr;
    found.base = scheme + "://127.0.0.1:" + found.service->port();
    // One road first, outside the measure: its requests are the floor's URLs.
    if (!runSelf({"--child=road", "--base=" + found.base}).ok)
        return nullptr;
    std::ifstream log(found.log);
    std::string line;
    while (std::getline(log, line)) {
        if (line.rfind("request GET ", 0) == 0)
            found.urls.push_back(found.base + line.substr(12));
    }
    std::remove(found.log.c_str());
    return found.urls.empty() ? nullptr : &found;
}

void road(benchmark::State &state, const std::string &scheme)
{
    Scheme *service = schemeFor(scheme);
    if (!service) {
        state.SkipWithError("the practice service did not serve the road");
        return;
    }
    for (auto _ : state) {
        const ChildRun run = runSelf({"--child=road", "--base=" + service->base});
        double seconds = -1;
        if (!run.ok || std::sscanf(run.output.c_str(), "road %lf", &seconds) != 1) {
            state.SkipWithError("the road did not run through");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["requests"] = double(service->urls.size());
}

// curl's own clock for each transfer, summed: its start-up is not counted.
void curlFloor(benchmark::State &state, const std::string &scheme)
{
    Scheme *service = schemeFor(scheme);
    if (!service) {
        state.SkipWithError("the practice service did not serve the road");
        return;
    }
    std::vector<std::string> arguments{"--silent", "--show-error", "--globoff",       "--noproxy",
                                       "*",        "--write-out",  "%{time_total}\\n"};
    if (scheme == "https")
        arguments.insert(arguments.end(), {"--cacert", tlsFile("ca.pem")});
    for (const std::string &url : service->urls)
        arguments.insert(arguments.end(), {"--output", "/dev/null", url});
    for (auto _ : state) {
        const ChildRun run = runProgram("curl", arguments);
        std::istringstream times(run.output);
        double seconds = 0, each = 0;
        size_t transfers = 0;
        while (times >> each) {
            seconds += each;
            ++transfers;
        }
        if (!run.ok || transfers != service->urls.size()) {
            state.SkipWithError("curl did not fetch every URL");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["requests"] = double(service->urls.size());
}

void BM_Road_Http(benchmark::State &state)
{
    road(state, "http");
}
void BM_Road_Https(benchmark::State &state)
{
    road(state, "https");
}
void BM_RoadCurl_Http(benchmark::State &state)
{
    curlFloor(state, "http");
}
void BM_RoadCurl_Https(benchmark::State &state)
{
    curlFloor(state, "https");
}

} // namespace

BENCHMARK(BM_Road_Http)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RoadCurl_Http)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Road_Https)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RoadCurl_Https)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--child=road") == 0 && std::strncmp(argv[i + 1], "--base=", 7) == 0)
            return childRoad(argc, argv, QString::fromUtf8(argv[i + 1] + 7));
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Straight to the service on loopback, whatever proxy this machine names.
    for (const char *proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    // A user's system names no SSL_CERT_FILE or SSL_CERT_DIR: its trusted roots are
    // the hashed folder /etc/ssl/certs, from which a handshake reads the one root it
    // needs. Either variable would make the program read every system certificate
    // first, so the road's child trusts the practice certificate without them.
    unsetenv("SSL_CERT_FILE");
    unsetenv("SSL_CERT_DIR");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_schemes.clear();
    return 0;
}
