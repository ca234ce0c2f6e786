#include "platform/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>

#include <pthread.h>

#include "platform/process_quit.h"

namespace lanzhou::platform {

extern "C" char** environ;

struct ChildProcess::Handles {
    pid_t id = -1;
    int input = -1;
    int output = -1;
    int errors = -1;
    std::mutex inputMutex;
    std::optional<int> exitStatus;
};

namespace {

void closeDescriptor(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

std::size_t readPipe(int pipe, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(pipe, buffer, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            return nullptr;
        }
    }
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    int input[2] = {-1, -1}, output[2] = {-1, -1}, errors[2] = {-1, -1};
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0) {
        for (int* pipe : {input, output, errors}) {
            closeDescriptor(pipe[0]);
            closeDescriptor(pipe[1]);
        }
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // a caller that ignores it must not pass that on
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t child = -1;
    const int result = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    closeDescriptor(input[0]);
    closeDescriptor(output[1]);
    closeDescriptor(errors[1]);
    if (result != 0 || child <= 0) {
        closeDescriptor(input[1]);
        closeDescriptor(output[0]);
        closeDescriptor(errors[0]);
        return nullptr;
    }
    auto handles = std::make_unique<Handles>();
    handles->id = child;
    handles->input = input[1];
    handles->output = output[0];
    handles->errors = errors[0];
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(handles)));
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (!waitForExit(std::chrono::milliseconds(0))) {
        kill();
        waitForExit(std::chrono::milliseconds(10'000));
    }
    closeDescriptor(m_handles->output);
    closeDescriptor(m_handles->errors);
}

ProcessId ChildProcess::id() const {
    return static_cast<ProcessId>(m_handles->id);
}

bool ChildProcess::writeInput(std::string_view bytes) {
    std::lock_guard lock(m_handles->inputMutex);
    // A child that stopped reading gives EPIPE and SIGPIPE: the signal is
    // held back for this thread and taken away, so that it cannot end the
    // caller.
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    bool complete = true;
    while (!bytes.empty()) {
        if (m_handles->input < 0) {
            complete = false;
            break;
        }
        const ssize_t written = ::write(m_handles->input, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            complete = false;
            if (written < 0 && errno == EPIPE && !alreadyPending) {
                const timespec noWait{0, 0};
                while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
                }
            }
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return complete;
}

void ChildProcess::closeInput() {
    std::lock_guard lock(m_handles->inputMutex);
    closeDescriptor(m_handles->input);
}

std::size_t ChildProcess::readOutput(char* buffer, std::size_t size) {
    return readPipe(m_handles->output, buffer, size);
}

std::size_t ChildProcess::readErrors(char* buffer, std::size_t size) {
    return readPipe(m_handles->errors, buffer, size);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    if (m_handles->exitStatus) {
        return m_handles->exitStatus;
    }
    if (!waitForProcessExit(static_cast<ProcessId>(m_handles->id), limit)) {
        return std::nullopt;
    }
    int status = 0;
    pid_t reaped = -1;
    do {
        reaped = ::waitpid(m_handles->id, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == m_handles->id) {
        m_handles->exitStatus = WIFEXITED(status)
                                    ? WEXITSTATUS(status)
                                    : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    return m_handles->exitStatus;
}

void ChildProcess::kill() {
    if (!m_handles->exitStatus) {
        ::kill(m_handles->id, SIGKILL);
    }
}

ChildProcess::ChildProcess(std::unique_ptr<Handles> handles) : m_handles(std::move(handles)) {}

}  // namespace lanzhou::platform
