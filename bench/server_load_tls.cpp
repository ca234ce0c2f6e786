#include <array>
#include <asio/ssl.hpp>
#include <deque>
#include <utility>
#include <vector>

#include "server_load_tls.h"

namespace {

class OpenSslLinks final : public TlsLinks {
public:
    OpenSslLinks() : m_context(asio::ssl::context::tls_client) {}

    bool trust(const std::string& caFile, std::string& error) {
        asio::error_code code;
        m_context.load_verify_file(caFile, code);
        if (code) {
            error = "cannot read " + caFile + ": " + code.message();
            return false;
        }
        m_context.set_verify_mode(asio::ssl::verify_peer);
        return true;
    }

    void add(asio::ip::tcp::socket socket, std::function<void(bool)> done) override {
        auto link = std::make_unique<Link>(std::move(socket), m_context);
        link->stream.set_verify_callback(asio::ssl::host_name_verification("127.0.0.1"));
        Link& added = *link;
        m_links.push_back(std::move(link));
        added.stream.async_handshake(
            asio::ssl::stream_base::client,
            [done = std::move(done)](const asio::error_code& error) { done(!error); });
    }

    void read(std::size_t index, std::function<void(std::string_view)> received) override {
        Link& link = *m_links[index];
        link.stream.async_read_some(asio::buffer(link.buffer),
                                    [this, index, &link, received = std::move(received)](
                                        const asio::error_code& error, std::size_t size) mutable {
                                        if (error) {
                                            return;
                                        }
                                        received(std::string_view(link.buffer.data(), size));
                                        read(index, std::move(received));
                                    });
    }

    void send(std::size_t index, std::string bytes) override {
        Link& link = *m_links[index];
        link.pending.push_back(std::move(bytes));
        if (link.pending.size() == 1) {
            writeFront(link);
        }
    }

private:
    struct Link {
        Link(asio::ip::tcp::socket socket, asio::ssl::context& context)
            : stream(std::move(socket), context) {}
        asio::ssl::stream<asio::ip::tcp::socket> stream;
        std::array<char, 16 * 1024> buffer{};
        std::deque<std::string> pending;  // the front is being written
    };

    void writeFront(Link& link) {
        asio::async_write(link.stream, asio::buffer(link.pending.front()),
                          [this, &link](const asio::error_code& error, std::size_t) {
                              link.pending.pop_front();
                              if (!error && !link.pending.empty()) {
                                  writeFront(link);
                              }
                          });
    }

    asio::ssl::context m_context;
    std::vector<std::unique_ptr<Link>> m_links;
};

}  // namespace

std::unique_ptr<TlsLinks> TlsLinks::make(const std::string& caFile, std::string& error) {
    auto links = std::make_unique<OpenSslLinks>();
    if (!links->trust(caFile, error)) {
        return nullptr;
    }
    return links;
}
