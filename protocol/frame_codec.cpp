#include "protocol/frame_codec.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "protocol/packed_payload.h"

namespace lanzhou::protocol {

namespace {

constexpr std::string_view kChunkMagic = "EMSG";
constexpr std::string_view kFrameStart = "<Msg";
constexpr std::size_t kMinFrameSize = 20;
constexpr std::size_t kFrameFixedHeader = 19;  // header bytes besides the length digits
constexpr std::size_t kMaxLengthDigits = 9;

void appendLittleEndian(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

std::uint32_t readLittleEndian(std::string_view bytes, std::size_t offset) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t value;
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The four id bytes of a chunk header: the id as given, cut or padded with
// leading zeros to four bytes.
std::string chunkIdBytes(std::string_view id) {
    if (id.size() >= 4) {
        return std::string(id.substr(0, 4));
    }
    return std::string(4 - id.size(), '0') + std::string(id);
}

struct ChunkHeader {
    std::uint32_t id = 0;
    std::uint32_t total = 0;
    std::uint32_t index = 0;
    std::uint32_t length = 0;
};

// Reads the 20-byte header at the start of `bytes`; false when it is not one
// this receiver accepts.
bool readChunkHeader(std::string_view bytes, ChunkHeader& header) {
    // `bytes` holds a whole header: a compare of fixed size.
    if (std::memcmp(bytes.data(), kChunkMagic.data(), kChunkMagic.size()) != 0) {
        return false;
    }
    header.id = 0;
    for (std::size_t i = 4; i < 8; ++i) {
        if (!isDigit(bytes[i])) {
            return false;
        }
        header.id = header.id * 10 + static_cast<std::uint32_t>(bytes[i] - '0');
    }
    header.total = readLittleEndian(bytes, 8);
    header.index = readLittleEndian(bytes, 12);
    header.length = readLittleEndian(bytes, 16);
    return header.length >= 1 && header.length <= kMaxChunkData && header.total >= 1 &&
           header.total <= kMaxMessageSize;
}

}  // namespace

std::string MessageIdCounter::next() {
    ++m_counter;
    if (m_counter > 9999) {
        m_counter = 10;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d", static_cast<int>(m_counter));
    return text;
}

std::string encodeFrame(std::string_view id, std::string_view message) {
    std::string frame;
    const std::string length = std::to_string(message.size());
    frame.reserve(2 * id.size() + length.size() + 10 + message.size());
    frame.append(kFrameStart).append(id).append(">").append(length);
    frame.append("</Msg").append(id).append(">").append(message);
    return frame;
}

std::string encodeChunks(std::string_view id, std::string_view frame) {
    const std::string idBytes = chunkIdBytes(id);
    const std::size_t count = (frame.size() + kMaxChunkData - 1) / kMaxChunkData;
    std::string out;
    out.reserve(frame.size() + count * kChunkHeaderSize);
    for (std::size_t index = 0; index < count; ++index) {
        const std::string_view data = frame.substr(index * kMaxChunkData, kMaxChunkData);
        out.append(kChunkMagic).append(idBytes);
        appendLittleEndian(out, static_cast<std::uint32_t>(frame.size()));
        appendLittleEndian(out, static_cast<std::uint32_t>(index));
        appendLittleEndian(out, static_cast<std::uint32_t>(data.size()));
        out.append(data);
    }
    return out;
}

std::string FrameEncoder::encode(std::string_view message) {
    if (message.empty()) {
        return {};
    }
    const std::string id = m_ids.next();
    return encodeChunks(id, encodeFrame(id, message));
}

std::vector<FrameEvent> decodeFrames(std::string_view frame) {
    std::vector<FrameEvent> events;
    decodeFrames(frame, events);
    return events;
}

void decodeFrames(std::string_view frame, std::vector<FrameEvent>& events) {
    std::string_view rest = frame;
    while (!rest.empty()) {
        if (rest.size() < kMinFrameSize ||
            std::memcmp(rest.data(), kFrameStart.data(), kFrameStart.size()) != 0) {
            break;
        }
        const std::size_t digitsEnd = std::min(rest.find('<', 9), rest.size());
        const std::string_view digits = rest.substr(9, digitsEnd - 9);
        if (digits.size() > kMaxLengthDigits ||
            !std::all_of(digits.begin(), digits.end(), isDigit)) {
            break;
        }
        std::size_t length = 0;
        for (const char c : digits) {
            length = length * 10 + static_cast<std::size_t>(c - '0');
        }
        const std::size_t start = kFrameFixedHeader + digits.size();
        if (start > rest.size() || rest.size() - start < length) {
            break;
        }
        if (length == 0) {
            events.push_back({FrameEvent::Kind::Closed, {}});
            break;
        }
        // The bytes are copied once, into the event where they stay.
        events.emplace_back().data.assign(rest.substr(start, length));
        rest.remove_prefix(start + length);
    }
}

ChunkDecoder::Status ChunkDecoder::feed(std::string_view bytes, std::vector<FrameEvent>& events) {
    // Whole chunks are read where they lie in `bytes`; only a chunk cut by
    // the end of a read is gathered in m_buffer, and it takes from the next
    // read just the bytes it lacks.
    bool followsChunk = false;
    if (!m_buffer.empty()) {
        const auto takeUpTo = [&](std::size_t wanted) {
            const std::size_t take = std::min(bytes.size(), wanted - m_buffer.size());
            m_buffer.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            return m_buffer.size() == wanted;
        };
        if (m_buffer.size() < kChunkHeaderSize && !takeUpTo(kChunkHeaderSize)) {
            return Status::Ok;
        }
        ChunkHeader header;
        if (!readChunkHeader(m_buffer, header)) {
            // Garbage at the start of a read is dropped with the rest of it.
            discardPartial();
            return Status::Ok;
        }
        if (!takeUpTo(kChunkHeaderSize + header.length)) {
            return Status::Ok;
        }
        takeChunk(header.id, header.total, header.index,
                  std::string_view(m_buffer).substr(kChunkHeaderSize), events);
        m_buffer.clear();
        followsChunk = true;
    }
    while (bytes.size() >= kChunkHeaderSize) {
        ChunkHeader header;
        if (!readChunkHeader(bytes, header)) {
            discardPartial();
            // Garbage right behind a whole chunk means the stream has lost
            // its framing; garbage at the start of a read is just dropped.
            return followsChunk ? Status::ConnectionGone : Status::Ok;
        }
        if (bytes.size() - kChunkHeaderSize < header.length) {
            break;
        }
        takeChunk(header.id, header.total, header.index,
                  bytes.substr(kChunkHeaderSize, header.length), events);
        bytes.remove_prefix(kChunkHeaderSize + header.length);
        followsChunk = true;
    }
    m_buffer.assign(bytes);
    return Status::Ok;
}

void ChunkDecoder::takeChunk(std::uint32_t id, std::uint32_t total, std::uint32_t index,
                             std::string_view data, std::vector<FrameEvent>& events) {
    if (!m_gathering || id != m_frameId || index != m_nextIndex) {
        // A first chunk, or one that does not continue the gathered
        // message: it starts a new one.
        m_frame.clear();
        m_frameId = id;
        m_frameTotal = total;
        m_gathering = true;
    }
    if (m_frameTotal - m_frame.size() < data.size()) {
        releaseFrame();
        m_gathering = false;
        return;
    }
    if (m_frame.empty() && data.size() == m_frameTotal) {
        // A frame in a single chunk (every short message): no gathering.
        decodeFrames(data, events);
        m_gathering = false;
        return;
    }
    m_frame.append(data);
    m_nextIndex = index + 1;
    if (m_frame.size() == m_frameTotal) {
        decodeFrames(m_frame, events);
        releaseFrame();
        m_gathering = false;
    }
}

void ChunkDecoder::discardPartial() {
    m_buffer.clear();
    std::string().swap(m_frame);
    m_frameId = 0;
    m_frameTotal = 0;
    m_nextIndex = 0;
    m_gathering = false;
}

void ChunkDecoder::releaseFrame() {
    // Keep a small frame's storage for the next one; give a large one back.
    constexpr std::size_t kKeptCapacity = 64 * 1024;
    if (m_frame.capacity() > kKeptCapacity) {
        std::string().swap(m_frame);
    } else {
        m_frame.clear();
    }
}

bool ChunkDecoder::hasPartial() const {
    return !m_buffer.empty() || m_gathering;
}

}  // namespace lanzhou::protocol
