#include "config/config_file.h"

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/diagnostics.h"
#include "platform/file_io.h"
#include "protocol/gbk_text.h"

namespace lanzhou::config {
namespace {

// The section every setting lives in.
constexpr std::string_view kSection = "config";

// A value is read into a buffer of 10240 bytes, so it keeps at most 10239.
constexpr std::size_t kMaxValueBytes = 10239;

// The settings file is a few hundred bytes; anything beyond this is not ours
// to rewrite, so a larger file is read only up to it and never written.
constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;

constexpr std::string_view kLineEnd = "\r\n";

// Nobody waits for a setting to reach the disk: a failed write is told to
// the program's diagnostic sink.
bool reported(bool written, const std::filesystem::path& path, std::string_view what) {
    if (!written) {
        const std::u8string name = path.u8string();
        std::string message = "could not write ";
        message.append(what);
        message.append(" to ");
        message.append(name.begin(), name.end());
        reportDiagnostic("config", message);
    }
    return written;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One line of the file: its bytes without the line end, and where the next
// line starts.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;   // end of the content (before CR LF or LF)
    std::size_t next = 0;  // start of the following line
    bool terminated = false;
};

std::vector<Line> splitLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        Line line;
        line.begin = begin;
        const std::size_t lf = bytes.find('\n', begin);
        if (lf == std::string_view::npos) {
            line.end = bytes.size();
            line.next = bytes.size();
        } else {
            line.end = lf;
            line.next = lf + 1;
            line.terminated = true;
        }
        if (line.end > line.begin && bytes[line.end - 1] == '\r') {
            --line.end;
        }
        lines.push_back(line);
        begin = line.next;
    }
    return lines;
}

// The name of a section header line ("[name]", blanks allowed around it and
// its name), or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view content) {
    content = trimBlanks(content);
    if (content.empty() || content.front() != '[') {
        return std::nullopt;
    }
    content.remove_prefix(1);
    const std::size_t close = content.find(']');
    if (close != std::string_view::npos) {
        content = content.substr(0, close);
    }
    return trimBlanks(content);
}

// A "key=value" line: where its value starts (just after "="), or nothing
// when the line is a comment, a header or has no "=", or names another key.
std::optional<std::size_t> valueStartIfKey(std::string_view content, std::string_view key) {
    const std::string_view trimmed = trimBlanks(content);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return std::nullopt;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    if (!protocol::equalsIgnoringLatinCase(trimBlanks(content.substr(0, equals)),
                                           trimBlanks(key))) {
        return std::nullopt;
    }
    return equals + 1;
}

// Where a key is, or where it would go.
struct KeyPosition {
    std::optional<std::size_t> line;           // the key's line
    std::optional<std::size_t> lastInSection;  // last non-blank line of the first matching section
};

// The first line holding the key in a matching section (in file order), and
// the last non-blank line of the first matching section.
KeyPosition locate(std::string_view bytes, const std::vector<Line>& lines, std::string_view section,
                   std::string_view key) {
    KeyPosition position;
    bool inSection = false;
    bool firstSectionDone = false;
    bool inFirstSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view content =
            bytes.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (const auto name = sectionName(content)) {
            if (inFirstSection) {
                firstSectionDone = true;
            }
            inSection = protocol::equalsIgnoringLatinCase(*name, trimBlanks(section));
            inFirstSection = inSection && !firstSectionDone;
            if (inFirstSection) {
                position.lastInSection = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (inFirstSection && !trimBlanks(content).empty()) {
            position.lastInSection = i;
        }
        if (valueStartIfKey(content, key)) {
            position.line = i;
            return position;
        }
    }
    return position;
}

// Closes an unterminated last line; a lone CR already there gets its LF, so
// the line's content stays as it read before.
void terminateLine(std::string& text) {
    if (!text.empty() && text.back() == '\r') {
        text += '\n';
    } else {
        text.append(kLineEnd);
    }
}

// A value is one line: it ends at the first line break.
std::string_view singleLine(std::string_view value) {
    const std::size_t stop = value.find_first_of("\r\n");
    return stop == std::string_view::npos ? value : value.substr(0, stop);
}

}  // namespace

std::string readIniValue(std::string_view fileBytes, std::string_view section,
                         std::string_view key) {
    const std::vector<Line> lines = splitLines(fileBytes);
    const KeyPosition position = locate(fileBytes, lines, section, key);
    if (!position.line) {
        return {};
    }
    const Line& line = lines[*position.line];
    const std::string_view content = fileBytes.substr(line.begin, line.end - line.begin);
    std::string_view value = content.substr(*valueStartIfKey(content, key));
    // The value is handed over as a C string of a fixed buffer.
    value = protocol::untilZero(trimBlanks(value));
    return std::string(value.substr(0, kMaxValueBytes));
}

std::string writeIniValue(std::string_view fileBytes, std::string_view section,
                          std::string_view key, std::string_view value) {
    value = singleLine(value);
    const std::vector<Line> lines = splitLines(fileBytes);
    const KeyPosition position = locate(fileBytes, lines, section, key);
    std::string result;
    result.reserve(fileBytes.size() + key.size() + value.size() + section.size() + 8);

    if (position.line) {
        // Replace the value in place; the key as spelt in the file stays.
        const Line& line = lines[*position.line];
        const std::string_view content = fileBytes.substr(line.begin, line.end - line.begin);
        const std::size_t valueStart = line.begin + *valueStartIfKey(content, key);
        result.append(fileBytes.substr(0, valueStart));
        result.append(value);
        result.append(fileBytes.substr(line.end));
        return result;
    }

    std::string entry(trimBlanks(key));
    entry += '=';
    entry += value;
    entry += kLineEnd;

    if (position.lastInSection) {
        const Line& last = lines[*position.lastInSection];
        result.append(fileBytes.substr(0, last.next));
        if (!last.terminated) {
            terminateLine(result);
        }
        result.append(entry);
        result.append(fileBytes.substr(last.next));
        return result;
    }

    result.append(fileBytes);
    if (!fileBytes.empty() && fileBytes.back() != '\n') {
        terminateLine(result);
    }
    result += '[';
    result.append(trimBlanks(section));
    result += ']';
    result.append(kLineEnd);
    result.append(entry);
    return result;
}

ConfigFile::ConfigFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::string_view ConfigFile::defaultContent() {
    // GBK, CR LF between lines, none after the last.
    static constexpr std::string_view kDefault =
        "[config]\r\n"
        "xl=0\r\n"
        ";0\xB5\xE7\xD0\xC5\xCF\xDF\xC2\xB7\xA3\xAC"  // ;0电信线路，
        "1\xCD\xF8\xCD\xA8\xCF\xDF\xC2\xB7\r\n"       // 1网通线路
        "username=\r\n"
        "userpass=\r\n"
        "zx=0\r\n"
        "bx=0\r\n"
        "bcolour=178\r\n"
        "bpic=\r\n"
        "pmusic=\\music\\music.wav\r\n"
        "hint1=1\r\n"
        "hint2=1";
    return kDefault;
}

bool ConfigFile::ensure() const {
    std::error_code error;
    if (std::filesystem::exists(m_path, error)) {
        return true;
    }
    return reported(platform::writeFileAtomically(m_path, defaultContent()), m_path,
                    "the default settings");
}

std::string ConfigFile::read(std::string_view key) const {
    const auto bytes = platform::readFile(m_path, kMaxFileBytes);
    if (!bytes) {
        return {};
    }
    return readIniValue(*bytes, kSection, key);
}

bool ConfigFile::write(std::string_view key, std::string_view value) const {
    const std::string what = "the key " + std::string(key);
    std::string current;
    std::error_code error;
    if (std::filesystem::exists(m_path, error)) {
        // A file we cannot read completely must not be replaced by a part of it.
        auto bytes = platform::readFile(m_path, kMaxFileBytes + 1);
        if (!bytes || bytes->size() > kMaxFileBytes) {
            return reported(false, m_path, what);
        }
        current = std::move(*bytes);
    } else if (error) {
        return reported(false, m_path, what);
    }
    return reported(
        platform::writeFileAtomically(m_path, writeIniValue(current, kSection, key, value)), m_path,
        what);
}

}  // namespace lanzhou::config
