#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"

namespace lanzhou::test {

// A scratch folder for one updater run: `run` (the run directory, with
// ver.txt holding "27" and a copy of the fake client under a name no other
// test uses), `served` (what the loopback servers serve), nothing else.
// Removed with everything in it at the end.
class UpdateSandbox final {
public:
    UpdateSandbox();
    ~UpdateSandbox();
    UpdateSandbox(const UpdateSandbox&) = delete;
    UpdateSandbox& operator=(const UpdateSandbox&) = delete;

    const std::filesystem::path& base() const { return m_base; }
    const std::filesystem::path& run() const { return m_run; }
    const std::filesystem::path& served() const { return m_served; }
    // The client's file name, as the updater gets it.
    const std::string& clientName() const { return m_clientName; }

    // Starts the fake client in `mode` ("wait" or "ignore") and waits until
    // it can take a quit request; nullptr (and a test failure) otherwise.
    std::unique_ptr<platform::ChildProcess> startClient(const std::string& mode);
    // The lines the fake client recorded, oldest first.
    std::vector<std::string> clientLog() const;
    bool clientLogHas(const std::string& line) const;

    static void writeText(const std::filesystem::path& path, const std::string& bytes);
    // The file's bytes; nullopt when it does not exist.
    static std::optional<std::string> readText(const std::filesystem::path& path);
    // The names directly under base(): "run" and "served" unless something
    // was written beside them.
    std::vector<std::string> baseEntries() const;

private:
    std::filesystem::path m_base;
    std::filesystem::path m_run;
    std::filesystem::path m_served;
    std::string m_clientName;
};

}  // namespace lanzhou::test
