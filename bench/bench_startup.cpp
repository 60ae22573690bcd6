// Time from process start to the ready main menu, and peak memory, beside a bare Qt
// window started the same way that shows one Japanese label in the program's font, so
// that both load the Japanese fonts. Each run is a fresh process. Run it on the
// platform to measure: offscreen by default, X11 with QT_QPA_PLATFORM=xcb.
//   bench_startup                  runs the benchmarks
//   bench_startup --child=hibari   (internal) one start-up of the program
//   bench_startup --child=bare     (internal) one start-up of a bare window

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include "ChildRun.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "app/MainModule.h"
#include "app/frmMain.h"

namespace {

int childHibari(int argc, char **argv)
{
    QApplication app(argc, argv);
    ApplyAppearance(app);
    QtDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
    QTemporaryDir documents;
    frmMain menu(context, {});
    Main(menu, state, SettlePaths(QStringLiteral(HIBARI_APP_DIR), QStringLiteral(HIBARI_APP_DIR), documents.path()));
    QCoreApplication::processEvents();
    (void)!write(STDOUT_FILENO, "ready\n", 6);
    return 0;
}

int childBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    ApplyAppearance(app);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("医薬品情報")));
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
    (void)!write(STDOUT_FILENO, "ready\n", 6);
    return 0;
}

// Starts one child, returns seconds until it said "ready"; gives its peak RSS (KiB).
double runChild(const char *mode, long *peakKiB)
{
    const ChildRun run = runSelf({std::string("--child=") + mode});
    *peakKiB = run.peakKiB;
    return run.ok ? run.firstOutputSeconds : -1;
}

void startUp(benchmark::State &state, const char *mode)
{
    long peak = 0;
    for (auto _ : state) {
        const double seconds = runChild(mode, &peak);
        state.SetIterationTime(seconds);
    }
    state.counters["peak_MiB"] = double(peak) / 1024.0;
}

void BM_StartToReady_Hibari(benchmark::State &state)
{
    startUp(state, "hibari");
}
void BM_StartToReady_BareWindow(benchmark::State &state)
{
    startUp(state, "bare");
}

} // namespace

BENCHMARK(BM_StartToReady_Hibari)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5);
BENCHMARK(BM_StartToReady_BareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5);

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--child=hibari") == 0)
            return childHibari(argc, argv);
        if (std::strcmp(argv[i], "--child=bare") == 0)
            return childBare(argc, argv);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
