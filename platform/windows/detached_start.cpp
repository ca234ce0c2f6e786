#include "platform/detached_start.h"

#include "platform/windows/prelude.h"

#include "platform/command_line.h"
#include "platform/wide_text.h"

namespace lanzhou::platform {

std::optional<ProcessId> startDetached(const std::filesystem::path& program,
                                       const std::vector<std::string>& arguments,
                                       const std::filesystem::path& workingDirectory) {
    if (program.empty()) {
        return std::nullopt;
    }
    const std::u8string programText = program.u8string();
    std::vector<std::string> words{std::string(programText.begin(), programText.end())};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const auto line = windowsCommandLine(words);
    if (!line) {
        return std::nullopt;
    }
    std::wstring commandLine = wideFromUtf8(*line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    const std::wstring directory = workingDirectory.wstring();
    if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
        return std::nullopt;
    }
    WaitForInputIdle(started.hProcess, 1000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<ProcessId>(started.dwProcessId);
}

}  // namespace lanzhou::platform
