#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
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

// One run of `program` (found on PATH when it has no slash) with the arguments given.
inline ChildRun runProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    ChildRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string self = program;
    std::vector<std::string> owned(arguments);
    std::vector<char *> argv{self.data()};
    for (std::string &argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
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

inline ChildRun runSelf(const std::vector<std::string> &arguments)
{
    return runProgram(selfPath(), arguments);
}

// The practice service as a process of its own, so that its work and memory are not
// counted in the benchmark's; its standard output goes to `outputFile` (or nowhere).
class ServiceProcess {
public:
    ServiceProcess(const std::string &program, std::vector<std::string> options, const std::string &outputFile = {})
    {
        char portFile[] = "/tmp/hibari-bench-port-XXXXXX";
        const int fd = mkstemp(portFile);
        if (fd < 0)
            return;
        close(fd);
        std::remove(portFile);
        m_portFile = portFile;
        options.insert(options.begin(), {program, "--port-file", m_portFile});
        std::vector<char *> argv;
        for (std::string &option : options)
            argv.push_back(option.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t output;
        posix_spawn_file_actions_init(&output);
        posix_spawn_file_actions_addopen(&output, STDOUT_FILENO, outputFile.empty() ? "/dev/null" : outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int started = posix_spawn(&m_pid, program.c_str(), &output, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&output);
        if (started != 0) {
            m_pid = 0;
            return;
        }
        for (int tries = 0; tries < 1000 && m_port.empty(); ++tries) {
            std::ifstream(m_portFile) >> m_port;
            if (m_port.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10)); // starting, outside any measure
        }
    }
    ~ServiceProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (!m_portFile.empty())
            std::remove(m_portFile.c_str());
    }
    ServiceProcess(const ServiceProcess &) = delete;
    ServiceProcess &operator=(const ServiceProcess &) = delete;

    const std::string &port() const { return m_port; } // empty when it did not start

private:
    pid_t m_pid = 0;
    std::string m_portFile;
    std::string m_port;
};
