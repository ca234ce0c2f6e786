#include "protocol/packed_payload.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <limits>

namespace lanzhou::protocol {

namespace {

// Announced lengths up to this get room for twice their length at once;
// longer ones start with this much room, doubled while the stream needs it.
constexpr std::size_t kFirstOutputGuess = 64 * 1024;

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

// A reset keeps the buffers of the last call, which may have ended early
// with input left over: that memory is gone by now.
void forgetBuffers(z_stream& stream) {
    stream.next_in = nullptr;
    stream.avail_in = 0;
    stream.next_out = nullptr;
    stream.avail_out = 0;
}

// One deflate stream per thread, reset between calls: setting a stream up
// allocates a few hundred kilobytes, far more than packing a message costs.
// The stream has the parameters of compress2 at the default level, so the
// bytes are the same.
class ThreadDeflater final {
public:
    ThreadDeflater() { m_ready = deflateInit(&m_stream, Z_DEFAULT_COMPRESSION) == Z_OK; }
    ~ThreadDeflater() {
        if (m_ready) {
            deflateEnd(&m_stream);
        }
    }
    ThreadDeflater(const ThreadDeflater&) = delete;
    ThreadDeflater& operator=(const ThreadDeflater&) = delete;

    // The stream, reset for a new message; null when zlib could not set it up.
    z_stream* fresh() {
        if (!m_ready || deflateReset(&m_stream) != Z_OK) {
            return nullptr;
        }
        forgetBuffers(m_stream);
        return &m_stream;
    }

    static ThreadDeflater& forThisThread() {
        thread_local ThreadDeflater deflater;
        return deflater;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

// One decompressor per thread, made on first use and kept.
class ThreadDecompressor final {
public:
    static libdeflate_decompressor* forThisThread() {
        thread_local ThreadDecompressor kept;
        return kept.m_decompressor;
    }

private:
    ThreadDecompressor() : m_decompressor(libdeflate_alloc_decompressor()) {}
    ~ThreadDecompressor() { libdeflate_free_decompressor(m_decompressor); }
    ThreadDecompressor(const ThreadDecompressor&) = delete;
    ThreadDecompressor& operator=(const ThreadDecompressor&) = delete;

    libdeflate_decompressor* m_decompressor;
};

// Points the stream's input at the next piece of `input` (zlib counts in
// uInt) and drops that piece from `input`.
void feedInput(z_stream& stream, std::string_view& input) {
    const std::size_t piece = std::min<std::size_t>(input.size(), std::numeric_limits<uInt>::max());
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(piece);
    input.remove_prefix(piece);
}

// Points the stream's output at out[from, out.size()).
void setOutput(z_stream& stream, std::string& out, std::size_t from) {
    const std::size_t room =
        std::min<std::size_t>(out.size() - from, std::numeric_limits<uInt>::max());
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + from);
    stream.avail_out = static_cast<uInt>(room);
}

}  // namespace

std::string pack(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n > std::numeric_limits<std::uint32_t>::max()) {
        return {};
    }
    std::string out;
    if (n == 0) {
        out.reserve(kPayloadHeaderSize);
        appendLittleEndian(out, kPayloadMagic);
        appendLittleEndian(out, 0);
        return out;
    }
    z_stream* stream = ThreadDeflater::forThisThread().fresh();
    if (stream == nullptr) {
        return {};
    }
    const std::size_t bound = deflateBound(stream, static_cast<uLong>(n));
    out.reserve(kPayloadHeaderSize + bound);
    appendLittleEndian(out, kPayloadMagic);
    appendLittleEndian(out, static_cast<std::uint32_t>(n));
    out.resize(kPayloadHeaderSize + bound);

    std::string_view input = bytes;
    std::size_t written = kPayloadHeaderSize;
    for (;;) {
        if (stream->avail_in == 0 && !input.empty()) {
            feedInput(*stream, input);
        }
        setOutput(*stream, out, written);
        const uInt room = stream->avail_out;
        const int result = deflate(stream, input.empty() ? Z_FINISH : Z_NO_FLUSH);
        written += room - stream->avail_out;
        if (result == Z_STREAM_END) {
            out.resize(written);
            return out;
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            return {};
        }
        if (written == out.size()) {
            // deflateBound is an upper bound; this is only a safeguard.
            out.resize(out.size() + out.size() / 2 + 64);
        }
    }
}

std::string unpack(std::string_view payload) {
    std::string out;
    if (!unpack(payload, out)) {
        return {};
    }
    return out;
}

bool unpack(std::string_view payload, std::string& out) {
    const std::optional<std::string_view> bytes = unpackInto(payload, out);
    if (!bytes) {
        out.clear();
        return false;
    }
    out.resize(bytes->size());
    return true;
}

std::optional<std::string_view> unpackInto(std::string_view payload, std::string& scratch) {
    if (payload.size() < kPayloadHeaderSize || readLittleEndian(payload, 0) != kPayloadMagic) {
        return std::nullopt;
    }
    const std::size_t announced = readLittleEndian(payload, 4);
    if (announced == 0 || announced > kMaxMessageSize) {
        return std::nullopt;
    }
    // Output up to twice the announced length is accepted.
    const std::size_t capacity = 2 * announced;
    libdeflate_decompressor* decompressor = ThreadDecompressor::forThisThread();
    if (decompressor == nullptr) {
        return std::nullopt;
    }
    const std::string_view input = payload.substr(kPayloadHeaderSize);
    // One pass into `scratch`, room for the announced length and a little
    // more. A stream that needs more room is inflated again into double the
    // room, up to the capacity: an announced length alone never allocates
    // much, and only a stream that really inflates that far gets the room.
    std::size_t room = announced <= kFirstOutputGuess ? capacity : kFirstOutputGuess;
    for (;;) {
        if (scratch.size() < room) {
            scratch.resize(room);
        }
        std::size_t produced = 0;
        std::size_t consumed = 0;
        // Bytes after the end of the stream are not read.
        const libdeflate_result result = libdeflate_zlib_decompress_ex(
            decompressor, input.data(), input.size(), scratch.data(), room, &consumed, &produced);
        if (result == LIBDEFLATE_SUCCESS) {
            return std::string_view(scratch).substr(0, produced);
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || room >= capacity) {
            // A corrupt or cut stream, or more than twice the announced length.
            return std::nullopt;
        }
        room = std::min(capacity, 2 * room);
    }
}

}  // namespace lanzhou::protocol
