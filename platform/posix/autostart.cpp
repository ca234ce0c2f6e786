#include "platform/autostart.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/file_io.h"

namespace lanzhou::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExecKey = "Exec=";

// An environment variable that names an absolute folder, or an empty path.
fs::path folderFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    const fs::path folder = value != nullptr ? fs::path(value) : fs::path();
    return folder.is_absolute() ? folder : fs::path();
}

// The XDG autostart folder; empty when the environment names none.
fs::path autostartFolder() {
    fs::path config = folderFromEnvironment("XDG_CONFIG_HOME");
    if (config.empty()) {
        const fs::path home = folderFromEnvironment("HOME");
        if (home.empty()) {
            return {};
        }
        config = home / ".config";
    }
    return config / "autostart";
}

fs::path entryFile(std::string_view name) {
    const fs::path folder = autostartFolder();
    return folder.empty() ? fs::path() : folder / (std::string(name) + ".desktop");
}

// The characters that make an argument of an Exec value need quotes.
bool reservedInArgument(char c) {
    return std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos;
}

// One argument of an Exec value: quoted when it holds a reserved character
// (inside the quotes '"', '`', '$' and '\' take a backslash), '%' doubled so
// that it is no field code.
std::string execArgument(std::string_view argument) {
    bool quote = argument.empty();
    for (const char c : argument) {
        quote = quote || reservedInArgument(c);
    }
    std::string out;
    if (quote) {
        out += '"';
    }
    for (const char c : argument) {
        if (quote && std::string_view("\"`$\\").find(c) != std::string_view::npos) {
            out += '\\';
        }
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    if (quote) {
        out += '"';
    }
    return out;
}

// The escapes of a string value, applied over the quoting: a backslash
// doubled, line breaks and tabs as \n, \r, \t.
std::string stringValue(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A desktop entry holds no other control characters.
bool writableInEntry(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\r' && c != '\t') || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string autostartCommand(const fs::path& program) {
    return stringValue(execArgument(program.native())) + " --minimized";
}

bool registerAutostart(std::string_view name, const fs::path& program) {
    const fs::path file = entryFile(name);
    if (file.empty() || !writableInEntry(program.native())) {
        return false;
    }
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error) {
        return false;
    }
    const std::string entry = "[Desktop Entry]\nType=Application\nName=" + std::string(name) +
                              "\n" + std::string(kExecKey) + autostartCommand(program) +
                              "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    return writeFileAtomically(file, entry);
}

bool unregisterAutostart(std::string_view name) {
    const fs::path file = entryFile(name);
    if (file.empty()) {
        return true;
    }
    std::error_code error;
    fs::remove(file, error);
    return !error;
}

bool isAutostartRegistered(std::string_view name) {
    const fs::path file = entryFile(name);
    std::error_code error;
    return !file.empty() && fs::is_regular_file(file, error);
}

std::optional<std::string> registeredAutostartCommand(std::string_view name) {
    const fs::path file = entryFile(name);
    if (file.empty()) {
        return std::nullopt;
    }
    const std::optional<std::string> text = readFile(file, std::size_t{64} << 10);
    if (!text) {
        return std::nullopt;
    }
    std::string_view rest = *text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with(kExecKey)) {
            return std::string(line.substr(kExecKey.size()));
        }
    }
    return std::string();
}

}  // namespace lanzhou::platform
