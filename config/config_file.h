#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lanzhou::config {

// k_config.ini in the run directory: section "config", GBK text, read and
// written one key at a time, every read from the file as it is now.
class ConfigFile final {
public:
    explicit ConfigFile(std::filesystem::path path);

    // The 134 bytes written when the file does not exist.
    static std::string_view defaultContent();

    // Writes the default content when the file does not exist. False when it
    // had to be written and could not be; that failure is also reported as a
    // "config" diagnostic.
    bool ensure() const;

    // The key's value in section "config"; empty when the file or the key is
    // missing. Keys and the section name match without regard to ASCII case;
    // blanks around the value are dropped; values stop at 10239 bytes.
    std::string read(std::string_view key) const;

    // Sets one key, keeping every other byte of the file as it was: the value
    // of an existing key is replaced in place, a missing key is added at the
    // end of the section, a missing section at the end of the file. The file
    // is replaced atomically. False when it could not be written; that
    // failure is also reported as a "config" diagnostic.
    bool write(std::string_view key, std::string_view value) const;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The pure parts, for tests and the fuzzer.
std::string readIniValue(std::string_view fileBytes, std::string_view section,
                         std::string_view key);
std::string writeIniValue(std::string_view fileBytes, std::string_view section,
                          std::string_view key, std::string_view value);

}  // namespace lanzhou::config
