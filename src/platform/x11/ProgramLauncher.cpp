#include "platform/x11/ProgramLauncher.h"

#include "platform/x11/CommandLineSplit.h"

#include <algorithm>
#include <cstring>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace quorvane {

PosixProgramLauncher::~PosixProgramLauncher() {
    collectEndedChildren();
}

void PosixProgramLauncher::collectEndedChildren() {
    std::erase_if(m_children, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

LaunchResult PosixProgramLauncher::startProgram(std::string_view commandLine) {
    collectEndedChildren();
    auto words = splitCommandLine(commandLine);
    if (!words)
        return {0, "The command line has a quote that is not closed."};
    if (words->empty())
        return {0, "The command line names no program."};

    std::vector<char*> argv;
    for (auto& word : *words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    // The serial port, the X connection and the host's pipes must not stay open in the program.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    // Its own process group, so that a Ctrl+C meant for a headless run does not end the target too.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return {0, std::strerror(error)};
    m_children.push_back(pid);
    return {pid, {}};
}

} // namespace quorvane
