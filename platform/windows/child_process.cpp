#include "platform/child_process.h"

#include "platform/windows/prelude.h"

#include <algorithm>
#include <mutex>

#include "platform/command_line.h"
#include "platform/wide_text.h"

namespace lanzhou::platform {

struct ChildProcess::Handles {
    HANDLE process = nullptr;
    DWORD id = 0;
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    HANDLE errors = nullptr;
    std::mutex inputMutex;
    std::optional<int> exitStatus;
};

namespace {

void closeHandle(HANDLE& handle) {
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

// One pipe whose `childEnd` is inheritable and whose other end is not.
bool makePipe(HANDLE& read, HANDLE& write, bool childReads) {
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.bInheritHandle = TRUE;
    if (!CreatePipe(&read, &write, &security, 0)) {
        return false;
    }
    SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return true;
}

std::size_t readPipe(HANDLE pipe, char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    if (pipe == nullptr || !ReadFile(pipe, buffer, want, &got, nullptr)) {
        return 0;  // ERROR_BROKEN_PIPE: the child closed its end
    }
    return got;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& arguments) {
    const std::u8string programText = program.u8string();
    std::vector<std::string> words{std::string(programText.begin(), programText.end())};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const auto line = windowsCommandLine(words);
    if (!line) {
        return nullptr;
    }
    std::wstring commandLine = wideFromUtf8(*line);

    HANDLE childInput = nullptr, childOutput = nullptr, childErrors = nullptr;
    auto handles = std::make_unique<Handles>();
    if (!makePipe(childInput, handles->input, true) ||
        !makePipe(handles->output, childOutput, false) ||
        !makePipe(handles->errors, childErrors, false)) {
        closeHandle(childInput);
        closeHandle(childOutput);
        closeHandle(childErrors);
        closeHandle(handles->input);
        closeHandle(handles->output);
        closeHandle(handles->errors);
        return nullptr;
    }

    // Only the three pipe ends are inherited, whatever else is inheritable.
    HANDLE inherited[] = {childInput, childOutput, childErrors};
    SIZE_T attributeSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
    std::vector<unsigned char> attributeBuffer(attributeSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    const bool listReady =
        InitializeProcThreadAttributeList(attributes, 1, 0, &attributeSize) &&
        UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                  sizeof inherited, nullptr, nullptr);

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childInput;
    startup.StartupInfo.hStdOutput = childOutput;
    startup.StartupInfo.hStdError = childErrors;
    startup.lpAttributeList = listReady ? attributes : nullptr;
    PROCESS_INFORMATION started{};
    const BOOL created =
        CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | (listReady ? EXTENDED_STARTUPINFO_PRESENT : 0), nullptr,
                       nullptr, &startup.StartupInfo, &started);
    if (listReady) {
        DeleteProcThreadAttributeList(attributes);
    }
    closeHandle(childInput);
    closeHandle(childOutput);
    closeHandle(childErrors);
    if (!created) {
        closeHandle(handles->input);
        closeHandle(handles->output);
        closeHandle(handles->errors);
        return nullptr;
    }
    CloseHandle(started.hThread);
    handles->process = started.hProcess;
    handles->id = started.dwProcessId;
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(handles)));
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (!waitForExit(std::chrono::milliseconds(0))) {
        kill();
        waitForExit(std::chrono::milliseconds(10'000));
    }
    closeHandle(m_handles->output);
    closeHandle(m_handles->errors);
    closeHandle(m_handles->process);
}

ProcessId ChildProcess::id() const {
    return m_handles->id;
}

bool ChildProcess::writeInput(std::string_view bytes) {
    std::lock_guard lock(m_handles->inputMutex);
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (m_handles->input == nullptr ||
            !WriteFile(m_handles->input, bytes.data(), want, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

void ChildProcess::closeInput() {
    std::lock_guard lock(m_handles->inputMutex);
    closeHandle(m_handles->input);
}

std::size_t ChildProcess::readOutput(char* buffer, std::size_t size) {
    return readPipe(m_handles->output, buffer, size);
}

std::size_t ChildProcess::readErrors(char* buffer, std::size_t size) {
    return readPipe(m_handles->errors, buffer, size);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    if (!m_handles->exitStatus) {
        const DWORD wait =
            static_cast<DWORD>(std::clamp<long long>(limit.count(), 0, INFINITE - 1));
        DWORD code = 0;
        if (WaitForSingleObject(m_handles->process, wait) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(m_handles->process, &code)) {
            m_handles->exitStatus = static_cast<int>(code);
        }
    }
    return m_handles->exitStatus;
}

void ChildProcess::kill() {
    if (!m_handles->exitStatus) {
        TerminateProcess(m_handles->process, 1);
    }
}

ChildProcess::ChildProcess(std::unique_ptr<Handles> handles) : m_handles(std::move(handles)) {}

}  // namespace lanzhou::platform
