#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "platform/paths.h"

namespace lanzhou::test {

// A fresh empty directory for one test, removed with everything in it when
// the test ends.
class ScratchDirectory final {
  public:
    ScratchDirectory() {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = base / ("lanzhou-core-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(m_path, error)) {
                break;
            }
        }
    }
    ~ScratchDirectory() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The directory as the client writes paths (GBK text).
    std::string gbkText() const { return platform::gbkFromPath(m_path); }

  private:
    std::filesystem::path m_path;
};

}  // namespace lanzhou::test
