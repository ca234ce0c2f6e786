// The chunk receiver on arbitrary bytes arriving in arbitrary reads: no
// crash, no hang, and no more events than the bytes could hold.
//
// Input layout: a byte giving the size of the next read (0 stands for "the
// peer went silent": discardPartial), then that read's bytes, and so on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lanzhou::protocol;
    ChunkDecoder decoder;
    std::vector<FrameEvent> events;
    std::size_t fed = 0;
    std::size_t position = 0;
    while (position < size) {
        const std::size_t readSize = data[position++];
        if (readSize == 0) {
            decoder.discardPartial();
            if (decoder.hasPartial()) {
                std::abort();
            }
            continue;
        }
        const std::size_t take = readSize < size - position ? readSize : size - position;
        const std::string_view bytes(reinterpret_cast<const char*>(data + position), take);
        position += take;
        fed += take;
        const ChunkDecoder::Status status = decoder.feed(bytes, events);
        // Every event takes a frame of at least 20 bytes.
        if (events.size() > fed / 20) {
            std::abort();
        }
        for (const FrameEvent& event : events) {
            if (event.kind == FrameEvent::Kind::Data &&
                (event.data.empty() || event.data.size() > kMaxMessageSize)) {
                std::abort();
            }
        }
        if (status == ChunkDecoder::Status::ConnectionGone) {
            break;
        }
    }
    return 0;
}
