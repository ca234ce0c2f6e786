#include "client/core/request_sender.h"

#include <string>

#include "client/transport/erpc_client.h"
#include "protocol/packed_payload.h"

namespace lanzhou::core {

void TransportRequestSender::sendRequest(std::string_view gbkText) {
    const std::string packed = protocol::pack(gbkText);
    if (packed.empty()) {
        return;  // packing failed: the request is dropped
    }
    // Fire and forget: a request that cannot be queued is lost.
    static_cast<void>(m_client.send(packed));
}

}  // namespace lanzhou::core
