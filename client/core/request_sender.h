#pragma once

#include <string_view>

namespace lanzhou::transport {
class ERPCClient;
}

namespace lanzhou::core {

// sendRequest: the GBK text of a request, packed and queued on the one
// connection. Fire and forget: nothing waits for an answer and a request that
// cannot be queued is dropped.
class RequestSender {
public:
    virtual ~RequestSender() = default;
    virtual void sendRequest(std::string_view gbkText) = 0;
};

// The real sender: pack, then queue on the connection.
class TransportRequestSender final : public RequestSender {
public:
    explicit TransportRequestSender(transport::ERPCClient& client) : m_client(client) {}
    void sendRequest(std::string_view gbkText) override;

private:
    transport::ERPCClient& m_client;
};

}  // namespace lanzhou::core
