#pragma once

#include <cstddef>

namespace lanzhou::test {

// The largest buffers a loopback TCP socket of this machine may get: what
// Linux grows them to on its own (net.ipv4.tcp_wmem and tcp_rmem) or lets a
// program set (net.core.wmem_max and rmem_max, doubled as it does), and at
// least what a new socket has. Where the kernel does not say (no /proc),
// 8 MiB each. A flood meant to overrun what the sockets hold is sized from
// these rather than from a guess.
struct SocketBuffers {
    std::size_t send = 0;
    std::size_t receive = 0;
};

SocketBuffers largestSocketBuffers();

}  // namespace lanzhou::test
