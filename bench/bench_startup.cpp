// Time from process start to the ready main menu, and peak memory, beside a bare Qt
// window with a few buttons started the same way. Each run is a fresh process.
//   bench_startup                  runs the benchmarks
//   bench_startup --child=hibari   (internal) one start-up of the program
//   bench_startup --child=bare     (internal) one start-up of a bare window

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include "shell/AppContext.h"
#include "shell/Appearance.h"
#include "shell/MainModule.h"
#include "shell/frmMain.h"

extern char **environ;

namespace {

std::string g_self;

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
    for (const char *caption : {"One", "Two", "Three", "Four", "Five"})
        layout->addWidget(new QPushButton(QString::fromLatin1(caption)));
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
    (void)!write(STDOUT_FILENO, "ready\n", 6);
    return 0;
}

// Starts one child, returns seconds until it said "ready"; adds its peak RSS (KiB).
double runChild(const char *mode, long *peakKiB)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string arg = std::string("--child=") + mode;
    char *args[] = {g_self.data(), arg.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, g_self.c_str(), &actions, nullptr, args, environ) != 0)
        return -1;
    close(pipeFds[1]);
    char buffer[16];
    (void)!read(pipeFds[0], buffer, sizeof buffer);
    const auto ready = std::chrono::steady_clock::now();
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    *peakKiB = usage.ru_maxrss;
    return std::chrono::duration<double>(ready - start).count();
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
    g_self = "/proc/self/exe";
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0)
        g_self.assign(path, size_t(length));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
