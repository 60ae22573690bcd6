#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char **environ;

// The benchmarks measure in fresh processes of their own program, so that nothing one
// run left behind (caches, fonts, heap) flatters the next.

// This program's path, for starting it again.
inline std::string selfPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, size_t(length)) : std::string("/proc/self/exe");
}

// One run of this program with the arguments given.
struct ChildRun {
    bool ok = false;               // started, and exited with status 0
    std::string output;            // all it wrote to its standard output
    double firstOutputSeconds = 0; // from the start to its first output
    double seconds = 0;            // from the start to its exit
    long peakKiB = 0;              // its peak resident size
};

inline ChildRun runSelf(const std::vector<std::string> &arguments)
{
    ChildRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string self = selfPath();
    std::vector<std::string> owned(arguments);
    std::vector<char *> argv{self.data()};
    for (std::string &argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return run;
    }
    char buffer[256];
    ssize_t got = 0;
    bool first = true;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        if (first)
            run.firstOutputSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        first = false;
        run.output.append(buffer, size_t(got));
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}
