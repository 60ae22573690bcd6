// A 50 MB document through the practice service, run as a program of its own, with
// and without the progress window "通信中" up for the whole transfer. Each download
// is a fresh process, so its memory is its own: the growth of its peak resident size
// over the transfer says how many copies of the body were held at once.
//   bench_transfer                                   runs the benchmark
//   bench_transfer --child=<0|1> --url=<document>    (internal) one download

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "ChildRun.h"
#include "retrieval/Fetch.h"
#include "retrieval/Inet1.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"

namespace {

constexpr long DocumentBytes = 50L * 1024 * 1024;

std::string g_base;

class SilentDesktop final : public Desktop {
public:
    void message(QWidget *, const QString &text, const QString &, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void openDocument(QWidget *, const QString &) override {}
    void setClipboardText(const QString &) override {}
};

long statusKiB(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

int childDownload(int argc, char **argv, bool window, const QString &url)
{
    QApplication app(argc, argv);
    ApplyAppearance(app);
    SilentDesktop desktop;
    ProgramState state;
    state.ProgressDelayMs = window ? 0 : 3600 * 1000;
    AppContext context{state, desktop};
    // The window that starts a transfer has painted its Japanese captions already, so
    // the font is loaded before the progress window needs it.
    QWidget owner;
    owner.resize(400, 300);
    QLabel caption(QStringLiteral("医療用医薬品情報：添付文書を取得・検索・中止"), &owner);
    caption.setGeometry(8, 8, 380, 24);
    owner.show();
    owner.repaint();
    QCoreApplication::processEvents();
    Inet1 inet;

    // The peak from here on: "5" resets the high-water mark to the present size.
    std::ofstream(std::string("/proc/self/clear_refs")) << "5";
    const long before = statusKiB("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    const auto body = FetchBytes(context, &owner, inet, url, BodyUse::Document,
                                 DocumentText(QStringLiteral("/documents/［医療用］/練習文書.pdf")));
    const auto end = std::chrono::steady_clock::now();
    const long peak = statusKiB("VmHWM:");
    if (!body || body->size() != DocumentBytes)
        return 3;
    std::printf("seconds %.6f growth %ld\n", std::chrono::duration<double>(end - start).count(), peak - before);
    std::fflush(stdout);
    return 0;
}

// One download in a fresh process; its seconds, or a negative number when it failed.
double runDownload(bool window, long *growthKiB)
{
    const ChildRun run = runSelf({window ? "--child=1" : "--child=0",
                                  "--url=" + g_base + "/practice/large?bytes=" + std::to_string(DocumentBytes)});
    double seconds = -1;
    if (!run.ok || std::sscanf(run.output.c_str(), "seconds %lf growth %ld", &seconds, growthKiB) != 2)
        return -1;
    return seconds;
}

void download(benchmark::State &state, bool window)
{
    double growthSum = 0;
    for (auto _ : state) {
        long growth = 0;
        const double seconds = runDownload(window, &growth);
        if (seconds < 0) {
            state.SkipWithError("the download did not come through");
            return;
        }
        state.SetIterationTime(seconds);
        growthSum += double(growth);
    }
    state.counters["peak_growth_MiB"] = benchmark::Counter(growthSum / 1024.0, benchmark::Counter::kAvgIterations);
    state.counters["document_MiB"] = double(DocumentBytes) / (1024.0 * 1024.0);
}

void BM_Download50MB(benchmark::State &state)
{
    download(state, false);
}
void BM_Download50MBWithWindow(benchmark::State &state)
{
    download(state, true);
}

} // namespace

BENCHMARK(BM_Download50MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Download50MBWithWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strncmp(argv[i], "--child=", 8) == 0 && std::strncmp(argv[i + 1], "--url=", 6) == 0)
            return childDownload(argc, argv, argv[i][8] == '1', QString::fromUtf8(argv[i + 1] + 6));
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    // The service in a process of its own, so its copy of the body is not counted here.
    char portFile[] = "/tmp/hibari-bench-port-XXXXXX";
    const int fd = mkstemp(portFile);
    if (fd < 0)
        return 1;
    close(fd);
    std::remove(portFile);
    std::string portArg = portFile;
    char service[] = HIBARI_PRACTICE_SERVICE;
    char portOption[] = "--port-file";
    char *serviceArgs[] = {service, portOption, portArg.data(), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t servicePid = 0;
    const int started = posix_spawn(&servicePid, service, &quiet, nullptr, serviceArgs, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (started != 0)
        return 1;
    std::string port;
    for (int tries = 0; tries < 1000 && port.empty(); ++tries) {
        std::ifstream(portArg) >> port;
        if (port.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10)); // the service starting, outside any measure
    }
    g_base = "http://127.0.0.1:" + port;

    benchmark::Initialize(&argc, argv);
    int result = 0;
    if (port.empty() || benchmark::ReportUnrecognizedArguments(argc, argv))
        result = 1;
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kill(servicePid, SIGTERM);
    waitpid(servicePid, nullptr, 0);
    std::remove(portArg.c_str());
    return result;
}
