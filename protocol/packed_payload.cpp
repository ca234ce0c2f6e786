#include "protocol/packed_payload.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace lanzhou::protocol {

namespace {

// First size of the output of unpack; it grows by doubling up to twice the
// announced length, so an announced length alone never allocates much.
constexpr std::size_t kFirstOutputGuess = 64 * 1024;

// zlib's fast decoder runs while at least 258 bytes (the longest match) of
// output room are left.
constexpr std::size_t kRoomForFastInflate = 258;

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

// The inflate counterpart: inflateReset keeps the state and the window.
class ThreadInflater final {
public:
    ThreadInflater() { m_ready = inflateInit(&m_stream) == Z_OK; }
    ~ThreadInflater() {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    ThreadInflater(const ThreadInflater&) = delete;
    ThreadInflater& operator=(const ThreadInflater&) = delete;

    z_stream* fresh() {
        if (!m_ready || inflateReset(&m_stream) != Z_OK) {
            return nullptr;
        }
        forgetBuffers(m_stream);
        return &m_stream;
    }

    static ThreadInflater& forThisThread() {
        thread_local ThreadInflater inflater;
        return inflater;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
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

    z_stream* stream = ThreadInflater::forThisThread().fresh();
    if (stream == nullptr) {
        return std::nullopt;
    }
    std::string_view input = payload.substr(kPayloadHeaderSize);
    // Inflate straight into `scratch`: first the announced length (or a sane
    // part of it), then doubling up to the capacity. The buffer has room
    // beyond that, so that zlib's fast decoder (which wants room for a whole
    // match) runs to the end of the stream and the last call finishes it
    // without keeping a window.
    const std::size_t first = std::min(announced, kFirstOutputGuess) + kRoomForFastInflate;
    if (scratch.size() < first) {
        scratch.resize(first);
    }
    std::size_t produced = 0;
    for (;;) {
        if (stream->avail_in == 0 && !input.empty()) {
            feedInput(*stream, input);
        }
        setOutput(*stream, scratch, produced);
        const uInt room = stream->avail_out;
        const int result = inflate(stream, Z_FINISH);
        produced += room - stream->avail_out;
        if (produced > capacity) {
            // More than twice the announced length.
            return std::nullopt;
        }
        if (result == Z_STREAM_END) {
            // Bytes after the end of the stream are not read.
            return std::string_view(scratch).substr(0, produced);
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            // A corrupt stream, a preset dictionary or no memory.
            return std::nullopt;
        }
        if (produced < scratch.size()) {
            if (stream->avail_in == 0 && input.empty()) {
                // The input ran out before the end of the stream.
                return std::nullopt;
            }
            continue;
        }
        scratch.resize(std::min(capacity, 2 * scratch.size()) + kRoomForFastInflate);
    }
}

}  // namespace lanzhou::protocol
