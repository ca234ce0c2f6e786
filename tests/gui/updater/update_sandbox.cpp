#include "tests/gui/updater/update_sandbox.h"

#include <QTest>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include <gtest/gtest.h>

#include "platform/process_list.h"

namespace lanzhou::test {

namespace fs = std::filesystem;

namespace {

std::string uniqueTag() {
    static std::atomic<int> counter{0};
    return std::to_string(platform::currentProcessId()) + "-" + std::to_string(++counter);
}

}  // namespace

UpdateSandbox::UpdateSandbox() {
    const std::string tag = uniqueTag();
    m_base = fs::temp_directory_path() / ("lanzhou-updater-ui-" + tag);
    m_run = m_base / "run";
    m_served = m_base / "served";
    fs::remove_all(m_base);
    fs::create_directories(m_run);
    fs::create_directories(m_served);
    writeText(m_run / "ver.txt", "27");

    // A name of its own, so that no other test's client is taken for it.
    m_clientName =
        "fake-client-" + tag + fs::path(LANZHOU_UPDATER_FAKE_CLIENT).extension().string();
    fs::copy_file(LANZHOU_UPDATER_FAKE_CLIENT, m_run / m_clientName);
}

UpdateSandbox::~UpdateSandbox() {
    std::error_code error;
    fs::remove_all(m_base, error);
}

std::unique_ptr<platform::ChildProcess> UpdateSandbox::startClient(const std::string& mode) {
    auto client = platform::ChildProcess::start(m_run / m_clientName, {mode});
    if (!client) {
        ADD_FAILURE() << "the fake client did not start";
        return nullptr;
    }
    client->closeInput();
    if (!QTest::qWaitFor([this] { return clientLogHas("ready"); }, 10'000)) {
        ADD_FAILURE() << "the fake client never became ready";
        return nullptr;
    }
    return client;
}

std::vector<std::string> UpdateSandbox::clientLog() const {
    std::vector<std::string> lines;
    std::istringstream text(readText(m_run / "client-log.txt").value_or(""));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool UpdateSandbox::clientLogHas(const std::string& line) const {
    const std::vector<std::string> lines = clientLog();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void UpdateSandbox::writeText(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::optional<std::string> UpdateSandbox::readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> UpdateSandbox::baseEntries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_base)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace lanzhou::test
