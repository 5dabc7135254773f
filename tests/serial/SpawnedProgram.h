#pragma once
// Another program for the port tests, started without a shell with its standard input opened from a path:
// given the device, it holds the device open as a terminal or a script would. Killed when the test ends.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorvane::test {

class SpawnedProgram {
public:
    /// Runs `args` (the program found on PATH) with standard input from `input`, output to /dev/null.
    SpawnedProgram(std::vector<std::string> args, const std::string& input) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDWR | O_NOCTTY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        // The spawn returns once the program's image is loaded but possibly before the kernel renamed it.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (m_pid > 0 && name() != args[0] && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~SpawnedProgram() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    SpawnedProgram(const SpawnedProgram&) = delete;
    SpawnedProgram& operator=(const SpawnedProgram&) = delete;

    pid_t pid() const { return m_pid; }
    /// The program name the kernel shows for it.
    std::string name() const {
        std::string comm;
        std::getline(std::ifstream("/proc/" + std::to_string(m_pid) + "/comm"), comm);
        return comm;
    }

    /// The pid of a program that has run and been reaped: no process has it now.
    static pid_t endedPid() {
        pid_t pid = -1;
        char program[] = "true";
        char* argv[] = {program, nullptr};
        if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
            return -1;
        waitpid(pid, nullptr, 0);
        return pid;
    }

private:
    pid_t m_pid = -1;
};

} // namespace quorvane::test
