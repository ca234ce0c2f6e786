#pragma once

#include <memory>

namespace lanzhou::test {

// A loopback port that refuses connections for as long as this object
// lives: a socket holds it, bound but never listening. Unlike a port bound
// and released again, nothing else (a parallel test, say) can take it and
// start answering in the meantime.
class RefusedPort final {
public:
    RefusedPort();
    ~RefusedPort();

    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;

    int port() const;

private:
    struct Socket;
    std::unique_ptr<Socket> m_socket;
};

}  // namespace lanzhou::test
