#include "tests/support/socket_buffers.h"

#include <algorithm>
#include <climits>
#include <fstream>

#include <asio.hpp>

namespace lanzhou::test {

namespace {

// The third figure of a "min default max" line such as
// /proc/sys/net/ipv4/tcp_wmem; 0 where there is no such file.
std::size_t autotuningLimit(const char* file) {
    std::ifstream in(file);
    std::size_t minimum = 0, initial = 0, maximum = 0;
    return in >> minimum >> initial >> maximum ? maximum : 0;
}

}  // namespace

SocketBuffers largestSocketBuffers() {
    asio::io_context io;
    asio::ip::tcp::socket probe(io);
    probe.open(asio::ip::tcp::v4());
    // Asking for far too much gives what the kernel allows a program to set.
    asio::error_code ignored;
    probe.set_option(asio::socket_base::send_buffer_size(INT_MAX / 2), ignored);
    probe.set_option(asio::socket_base::receive_buffer_size(INT_MAX / 2), ignored);
    asio::socket_base::send_buffer_size send;
    asio::socket_base::receive_buffer_size receive;
    probe.get_option(send, ignored);
    probe.get_option(receive, ignored);
    const auto bytes = [](int value) { return static_cast<std::size_t>(std::max(value, 0)); };
    return {std::max(bytes(send.value()), autotuningLimit("/proc/sys/net/ipv4/tcp_wmem")),
            std::max(bytes(receive.value()), autotuningLimit("/proc/sys/net/ipv4/tcp_rmem"))};
}

}  // namespace lanzhou::test
