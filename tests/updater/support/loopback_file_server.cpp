#include "tests/updater/support/loopback_file_server.h"

#include <charconv>
#include <string>
#include <utility>

#include "platform/child_process.h"

namespace lanzhou::test {

namespace {

std::string percentEncoded(std::string_view text, std::string_view alsoPlain = {}) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/' || alsoPlain.find(c) != std::string_view::npos;
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string utf8Text(const std::u8string& text) {
    return std::string(text.begin(), text.end());
}

// Reads what the child wrote to one of its pipes, up to the first line break
// (or everything, for the error pipe of a child that gave up).
template <typename Read>
std::string readLine(Read read, bool wholeText) {
    std::string text;
    char c = 0;
    while (text.size() < 16384 && read(&c, 1) == 1) {
        if (c == '\n' && !wholeText) {
            break;
        }
        text += c;
    }
    return text;
}

}  // namespace

LoopbackFileServer::LoopbackFileServer(Kind kind, std::filesystem::path root)
    : LoopbackFileServer(kind, std::move(root), Options{}) {}

LoopbackFileServer::LoopbackFileServer(Kind kind, std::filesystem::path root, Options options)
    : m_kind(kind), m_root(std::move(root)) {
    m_process = platform::ChildProcess::start(
        LANZHOU_PYTHON3, {LANZHOU_LOOPBACK_SERVER_SCRIPT, kind == Kind::Http ? "http" : "ftp",
                          utf8Text(m_root.u8string()), std::to_string(options.bytesPerSecond)});
    if (!m_process) {
        m_error = "python3 could not be started (" LANZHOU_PYTHON3 ")";
        return;
    }
    m_process->closeInput();
    platform::ChildProcess* process = m_process.get();
    const std::string line = readLine(
        [process](char* c, std::size_t size) { return process->readOutput(c, size); }, false);
    unsigned port = 0;
    const auto [end, failure] = std::from_chars(line.data(), line.data() + line.size(), port);
    if (failure != std::errc() || end == line.data() || port == 0 || port > 65535) {
        m_error =
            "the server did not start: " +
            readLine([process](char* c, std::size_t size) { return process->readErrors(c, size); },
                     true);
        m_process.reset();
        return;
    }
    m_port = static_cast<std::uint16_t>(port);
}

LoopbackFileServer::~LoopbackFileServer() = default;

std::string LoopbackFileServer::url(std::string_view name) const {
    const char* scheme = m_kind == Kind::Http ? "http" : "ftp";
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port) + "/" +
           percentEncoded(name);
}

std::string fileUrl(const std::filesystem::path& path) {
    std::string text = utf8Text(std::filesystem::absolute(path).generic_u8string());
    if (text.empty() || text.front() != '/') {
        text.insert(text.begin(), '/');  // "C:/..." becomes "/C:/..."
    }
    return "file://" + percentEncoded(text, ":");
}

}  // namespace lanzhou::test
