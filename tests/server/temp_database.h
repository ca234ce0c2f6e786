#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace lanzhou::test {

// A fresh folder under the system's temporary folder with a database path in
// it; removed with the object.
class TempDatabase final {
public:
    TempDatabase() {
        std::random_device random;
        std::error_code error;
        do {
            m_folder = std::filesystem::temp_directory_path() /
                       ("lanzhou-db-" + std::to_string(random()) + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_folder, error));
    }
    ~TempDatabase() {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path file() const { return m_folder / "service.db"; }

private:
    std::filesystem::path m_folder;
};

}  // namespace lanzhou::test
