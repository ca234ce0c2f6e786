#include "platform/detached_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

extern "C" char** environ;

namespace lanzhou::platform {

std::optional<ProcessId> startDetached(const std::filesystem::path& program,
                                       const std::vector<std::string>& arguments,
                                       const std::filesystem::path& workingDirectory) {
    if (program.empty()) {
        return std::nullopt;
    }
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            return std::nullopt;
        }
    }
    // A relative program is found from this process's directory, not from
    // the new process's working directory.
    std::error_code error;
    const std::filesystem::path absoluteProgram = std::filesystem::absolute(program, error);
    if (error) {
        return std::nullopt;
    }
    std::vector<std::string> words{absoluteProgram.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Sockets and files of this process stay here.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
    if (!workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    }
#endif
    // Its own session (no signals of this terminal), default signal
    // handling and an empty signal mask whatever this process uses.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGCHLD);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &mask);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t child = -1;
    const int result = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0 || child <= 0) {
        return std::nullopt;
    }
    // The child is reaped when it ends, so that it does not linger as a
    // zombie of this process; this thread ends with it (or with us).
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return static_cast<ProcessId>(child);
}

}  // namespace lanzhou::platform
