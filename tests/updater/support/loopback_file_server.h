#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace lanzhou::platform {
class ChildProcess;
}

namespace lanzhou::test {

// A real file server on 127.0.0.1 for download tests: python3's http.server
// or pyftpdlib (anonymous, read-only) serving the files under `root` on a
// free port, started by the constructor and ended by the destructor.
//
// The HTTP server also answers "redirect/NAME" with a redirect to NAME (to
// the address NAME when it holds "://"), and "unsized/NAME" with NAME's bytes
// but no announced size.
class LoopbackFileServer final {
public:
    enum class Kind { Http, Ftp };

    struct Options {
        // Slows every download to about this many bytes a second (0: as
        // fast as it goes), for tests that need a download still running.
        std::int64_t bytesPerSecond = 0;
    };

    LoopbackFileServer(Kind kind, std::filesystem::path root);
    LoopbackFileServer(Kind kind, std::filesystem::path root, Options options);
    ~LoopbackFileServer();
    LoopbackFileServer(const LoopbackFileServer&) = delete;
    LoopbackFileServer& operator=(const LoopbackFileServer&) = delete;

    // Whether the server runs; otherwise error() tells why.
    bool running() const { return m_port != 0; }
    const std::string& error() const { return m_error; }
    std::uint16_t port() const { return m_port; }
    const std::filesystem::path& root() const { return m_root; }

    // The address of `name` (a path under the root, "/" between folders,
    // UTF-8): "http://127.0.0.1:PORT/name" or "ftp://...", with bytes
    // outside letters, digits and "-._~/" percent-encoded.
    std::string url(std::string_view name) const;

private:
    Kind m_kind;
    std::filesystem::path m_root;
    std::unique_ptr<platform::ChildProcess> m_process;
    std::uint16_t m_port = 0;
    std::string m_error;
};

// "file://" + the absolute path, percent-encoded as above.
std::string fileUrl(const std::filesystem::path& path);

}  // namespace lanzhou::test
