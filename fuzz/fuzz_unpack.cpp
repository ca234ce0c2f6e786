// Packed payloads from the network: unpack must never crash, never return
// more than twice the announced length, and give back what pack made.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocol/packed_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lanzhou::protocol;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string bytes = unpack(input);
    if (!bytes.empty()) {
        std::uint32_t announced = 0;
        for (std::size_t i = 4; i-- > 0;) {
            announced = (announced << 8) | data[4 + i];
        }
        if (announced == 0 || announced > kMaxMessageSize ||
            bytes.size() > 2 * std::size_t{announced}) {
            std::abort();
        }
        if (unpack(pack(bytes)) != bytes) {
            std::abort();
        }
    }
    // The input itself, packed, must come back unchanged.
    if (size > 0 && unpack(pack(input)) != input) {
        std::abort();
    }
    return 0;
}
