#pragma once

#include <cstddef>

namespace lanzhou::test {

// The largest buffers the kernel may give a loopback TCP socket: what a
// program may set, or what Linux grows them to on its own (net.ipv4.tcp_wmem
// and tcp_rmem), whichever is more. A flood meant to overrun what the
// sockets hold is sized from these rather than from a guess.
struct SocketBuffers {
    std::size_t send = 0;
    std::size_t receive = 0;
};

SocketBuffers largestSocketBuffers();

}  // namespace lanzhou::test
