#include "tests/support/socket_buffers.h"

#include <algorithm>
#include <fstream>

#include <asio.hpp>

namespace lanzhou::test {

namespace {

constexpr std::size_t kUnknownLimit = std::size_t{8} << 20;

// The last of the figures in a /proc/sys file ("min default max", or one
// figure); 0 where there is no such file.
std::size_t lastFigure(const char* file) {
    std::ifstream in(file);
    std::size_t figure = 0;
    for (std::size_t next = 0; in >> next;) {
        figure = next;
    }
    return figure;
}

// The largest of a new socket's size and the kernel's limits.
std::size_t largest(int initial, const char* autotuned, const char* settable) {
    const std::size_t limits = std::max(lastFigure(autotuned), 2 * lastFigure(settable));
    const std::size_t fromKernel = limits != 0 ? limits : kUnknownLimit;
    return std::max(static_cast<std::size_t>(std::max(initial, 0)), fromKernel);
}

}  // namespace

SocketBuffers largestSocketBuffers() {
    asio::io_context io;
    asio::ip::tcp::socket probe(io);
    asio::error_code ignored;
    probe.open(asio::ip::tcp::v4(), ignored);
    asio::socket_base::send_buffer_size send;
    asio::socket_base::receive_buffer_size receive;
    probe.get_option(send, ignored);
    probe.get_option(receive, ignored);
    return {largest(send.value(), "/proc/sys/net/ipv4/tcp_wmem", "/proc/sys/net/core/wmem_max"),
            largest(receive.value(), "/proc/sys/net/ipv4/tcp_rmem", "/proc/sys/net/core/rmem_max")};
}

}  // namespace lanzhou::test
