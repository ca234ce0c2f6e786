#include "protocol/packed_payload.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace lanzhou::protocol {

namespace {

void appendLittleEndian(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

std::uint32_t readLittleEndian(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value =
            (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

// Releases the inflate state however unpack leaves.
class InflateStream final {
public:
    InflateStream() { m_ready = inflateInit(&m_stream) == Z_OK; }
    ~InflateStream() {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    bool ready() const { return m_ready; }
    z_stream& get() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

}  // namespace

std::string pack(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n > std::numeric_limits<std::uint32_t>::max()) {
        return {};
    }
    std::string out;
    appendLittleEndian(out, kPayloadMagic);
    appendLittleEndian(out, static_cast<std::uint32_t>(n));
    if (n == 0) {
        return out;
    }
    uLongf capacity = static_cast<uLongf>(n / 1000 + n + 1024);
    out.resize(kPayloadHeaderSize + capacity);
    const int result = compress2(reinterpret_cast<Bytef*>(out.data() + kPayloadHeaderSize),
                                 &capacity, reinterpret_cast<const Bytef*>(bytes.data()),
                                 static_cast<uLong>(n), Z_DEFAULT_COMPRESSION);
    if (result != Z_OK) {
        return {};
    }
    out.resize(kPayloadHeaderSize + capacity);
    return out;
}

std::string unpack(std::string_view payload) {
    if (payload.size() < kPayloadHeaderSize || readLittleEndian(payload, 0) != kPayloadMagic) {
        return {};
    }
    const std::size_t announced = readLittleEndian(payload, 4);
    if (announced == 0 || announced > kMaxMessageSize) {
        return {};
    }
    const std::size_t capacity = 2 * announced;

    InflateStream inflater;
    if (!inflater.ready()) {
        return {};
    }
    z_stream& stream = inflater.get();
    std::string_view input = payload.substr(kPayloadHeaderSize);
    std::string out;
    unsigned char buffer[16384];
    for (;;) {
        if (stream.avail_in == 0 && !input.empty()) {
            const std::size_t piece =
                std::min<std::size_t>(input.size(), std::numeric_limits<uInt>::max());
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
            stream.avail_in = static_cast<uInt>(piece);
            input.remove_prefix(piece);
        }
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        const int result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof buffer - stream.avail_out;
        if (produced > capacity - out.size()) {
            return {};
        }
        out.append(reinterpret_cast<const char*>(buffer), produced);
        if (result == Z_STREAM_END) {
            // Bytes after the end of the stream are not read.
            return out;
        }
        if (result == Z_OK) {
            continue;
        }
        // Z_BUF_ERROR here means the input ran out before the end of the
        // stream; the rest are a corrupt stream, a preset dictionary or no
        // memory.
        return {};
    }
}

}  // namespace lanzhou::protocol
