#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::protocol {

// Wire framing shared by the client transport and the server.
//
// A message M becomes the frame "<Msg" id ">" len(M) "</Msg" id ">" M, with a
// four-digit id. The frame travels in "EMSG" chunks of at most 8192 bytes of
// frame each, every chunk behind a 20-byte header: "EMSG", the id, the total
// frame length, the chunk index and the chunk's data length (little-endian).

inline constexpr std::size_t kChunkHeaderSize = 20;
inline constexpr std::size_t kMaxChunkData = 8192;
inline constexpr std::size_t kMaxReadSize = 10240;

// Source of message ids: 0011 for the first message, then upwards; after
// 9999 comes 0010.
class MessageIdCounter final {
public:
    std::string next();

private:
    std::int32_t m_counter = 10;
};

std::string encodeFrame(std::string_view id, std::string_view message);

// Cuts a frame into chunks with their headers, ready for the socket.
std::string encodeChunks(std::string_view id, std::string_view frame);

// Numbers, frames and chunks messages. An empty message gives no bytes (and
// uses no id).
class FrameEncoder final {
public:
    std::string encode(std::string_view message);

private:
    MessageIdCounter m_ids;
};

struct FrameEvent {
    enum class Kind { Data, Closed };
    Kind kind = Kind::Data;
    std::string data;  // the message bytes of a Data event

    friend bool operator==(const FrameEvent&, const FrameEvent&) = default;
};

// Turns one complete frame into events: a Data event per message, or a Closed
// event for a message length of 0 (how a server ends a session). Bytes after
// a message are read as a further frame. Unparsable frames give nothing.
std::vector<FrameEvent> decodeFrames(std::string_view frame);
// The same, appending the events to `events`.
void decodeFrames(std::string_view frame, std::vector<FrameEvent>& events);

// Incremental receiver: bytes go in as they arrive from the socket, complete
// messages come out as events. Pure: no I/O, no clock; the transport calls
// discardPartial() when the peer has been silent for too long in the middle
// of a chunk.
class ChunkDecoder final {
public:
    enum class Status {
        Ok,              // carry on reading
        ConnectionGone,  // the stream cannot be resynchronised: close it
    };

    // Appends any events completed by these bytes to `events`.
    Status feed(std::string_view bytes, std::vector<FrameEvent>& events);

    // Drops the partial chunk and the chunks gathered so far.
    void discardPartial();

    // True while a chunk or a multi-chunk frame is incomplete.
    bool hasPartial() const;

private:
    // Adds one whole chunk (its header's id, frame total and index) to the
    // frame being gathered.
    void takeChunk(std::uint32_t id, std::uint32_t total, std::uint32_t index,
                   std::string_view data, std::vector<FrameEvent>& events);
    void releaseFrame();

    std::string m_buffer;  // the start of a chunk cut by the end of a read
    std::string m_frame;   // data of the chunks gathered so far
    std::uint32_t m_frameId = 0;
    std::uint32_t m_frameTotal = 0;
    std::uint32_t m_nextIndex = 0;
    bool m_gathering = false;
};

}  // namespace lanzhou::protocol
