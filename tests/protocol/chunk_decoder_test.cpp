#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"

namespace lanzhou::protocol {
namespace {

using namespace std::string_literals;
using Status = ChunkDecoder::Status;

void appendU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

// One chunk with a header as given (not necessarily a consistent one).
std::string chunk(std::string_view id, std::uint32_t total, std::uint32_t index,
                  std::string_view data, std::string_view magic = "EMSG") {
    std::string out(magic);
    out.append(id);
    appendU32(out, total);
    appendU32(out, index);
    appendU32(out, static_cast<std::uint32_t>(data.size()));
    out.append(data);
    return out;
}

// The wire form of `message` under `id`, as a conforming sender makes it.
std::string wire(std::string_view id, std::string_view message) {
    return encodeChunks(id, encodeFrame(id, message));
}

FrameEvent data(std::string bytes) {
    return {FrameEvent::Kind::Data, std::move(bytes)};
}

// Feeds every piece in turn and keeps the events and the last status.
class ChunkDecoderTest : public ::testing::Test {
protected:
    Status feed(std::string_view bytes) { return decoder.feed(bytes, events); }

    ChunkDecoder decoder;
    std::vector<FrameEvent> events;
};

TEST_F(ChunkDecoderTest, DecodesTheVectorChunk) {
    const std::string vectorChunk =
        "EMSG0011\x28\x00\x00\x00\x00\x00\x00\x00\x28\x00\x00\x00<Msg0011>19</Msg0011>"s +
        "\x0D\x0F\x3E\x03\x03\x00\x00\x00\x78\x9C\x53\x36\x35\x01\x00\x01\x0A\x00\x8D"s;
    EXPECT_EQ(feed(vectorChunk), Status::Ok);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(unpack(events[0].data), "#54");
    EXPECT_FALSE(decoder.hasPartial());
}

TEST_F(ChunkDecoderTest, ReassemblesAtTheChunkBoundary) {
    const std::size_t header = encodeFrame("0011", "m").size() - 1;
    for (const std::size_t size :
         {kMaxChunkData - header, kMaxChunkData - header + 1, 3 * kMaxChunkData + 17}) {
        const std::string message(size, 'q');
        EXPECT_EQ(feed(wire("0011", message)), Status::Ok);
        ASSERT_EQ(events.size(), 1u) << size;
        EXPECT_EQ(events[0].data, message);
        EXPECT_FALSE(decoder.hasPartial());
        events.clear();
    }
}

TEST_F(ChunkDecoderTest, ChunkSpanningManyReadsFedByteByByte) {
    const std::string first = wire("0020", "spread over many reads");
    const std::string second = wire("0021", "next");
    const std::string bytes = first + second;
    std::vector<std::size_t> completedAfter;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(feed(bytes.substr(i, 1)), Status::Ok);
        if (events.size() > completedAfter.size()) {
            completedAfter.push_back(i + 1);
        } else {
            EXPECT_TRUE(decoder.hasPartial()) << "after byte " << i;
        }
    }
    EXPECT_EQ(completedAfter, (std::vector<std::size_t>{first.size(), bytes.size()}));
    EXPECT_EQ(events, (std::vector<FrameEvent>{data("spread over many reads"), data("next")}));
    EXPECT_FALSE(decoder.hasPartial());
}

TEST_F(ChunkDecoderTest, SeveralChunksAndFramesInOneRead) {
    const std::string big(kMaxChunkData + 100, 'b');
    EXPECT_EQ(feed(wire("0031", "one") + wire("0032", big) + wire("0033", "three")), Status::Ok);
    EXPECT_EQ(events, (std::vector<FrameEvent>{data("one"), data(big), data("three")}));
    EXPECT_FALSE(decoder.hasPartial());
}

TEST_F(ChunkDecoderTest, ReadBoundariesAnywhereGiveTheSameEvents) {
    const std::string bytes =
        wire("0040", "alpha") + wire("0041", std::string(9000, 'z')) + wire("0042", "omega");
    const std::vector<FrameEvent> expected = {data("alpha"), data(std::string(9000, 'z')),
                                              data("omega")};
    for (const std::size_t readSize : {1u, 7u, 19u, 20u, 21u, 100u, 8212u, 10240u}) {
        ChunkDecoder fresh;
        std::vector<FrameEvent> got;
        for (std::size_t i = 0; i < bytes.size(); i += readSize) {
            ASSERT_EQ(fresh.feed(std::string_view(bytes).substr(i, readSize), got), Status::Ok);
        }
        EXPECT_EQ(got, expected) << "reads of " << readSize;
    }
}

TEST_F(ChunkDecoderTest, FirstChunkMayHaveAnyIndex) {
    const std::string frame = encodeFrame("0050", "late start");
    EXPECT_EQ(feed(chunk("0050", static_cast<std::uint32_t>(frame.size()), 1, frame)), Status::Ok);
    EXPECT_EQ(events, std::vector<FrameEvent>{data("late start")});
}

TEST_F(ChunkDecoderTest, InterleavedIdLosesTheFirstMessage) {
    const std::string frameA = encodeFrame("0060", "message A!");
    const std::string frameB = encodeFrame("0061", "message B!");
    const auto total = static_cast<std::uint32_t>(frameA.size());
    const std::size_t half = frameA.size() / 2;
    feed(chunk("0060", total, 0, std::string_view(frameA).substr(0, half)));
    feed(chunk("0061", total, 0, std::string_view(frameB).substr(0, half)));
    feed(chunk("0060", total, 1, std::string_view(frameA).substr(half)));  // starts afresh, partial
    EXPECT_TRUE(events.empty());
    feed(chunk("0061", total, 1, std::string_view(frameB).substr(half)));  // B lost its first half
    EXPECT_TRUE(events.empty());

    feed(chunk("0062", total, 0, std::string_view(frameB).substr(0, half)));
    feed(chunk("0062", total, 1, std::string_view(frameB).substr(half)));
    EXPECT_EQ(events, std::vector<FrameEvent>{data("message B!")});
}

TEST_F(ChunkDecoderTest, GapInIndicesDropsThePartialMessage) {
    const std::string frame = encodeFrame("0070", std::string(30, 'g'));
    const auto total = static_cast<std::uint32_t>(frame.size());
    feed(chunk("0070", total, 0, std::string_view(frame).substr(0, 10)));
    feed(chunk("0070", total, 2, std::string_view(frame).substr(10)));
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(decoder.hasPartial());
}

TEST_F(ChunkDecoderTest, ChunksExceedingTheTotalDropTheMessage) {
    const std::string frame = encodeFrame("0071", "twelve bytes");
    const auto total = static_cast<std::uint32_t>(frame.size());
    feed(chunk("0071", total, 0, std::string_view(frame).substr(0, total - 2)));
    EXPECT_EQ(feed(chunk("0071", total, 1, "xyz")), Status::Ok);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(decoder.hasPartial());
    feed(wire("0072", "after"));
    EXPECT_EQ(events, std::vector<FrameEvent>{data("after")});
}

TEST_F(ChunkDecoderTest, MalformedHeaderAtTheStartOfAReadIsDiscarded) {
    const std::string valid = wire("0080", "valid");
    const std::string cases[] = {
        chunk("0080", 25, 0, "x", "EMSX"),                                       // magic
        chunk("00a0", 25, 0, "x"),                                               // id
        chunk("0080", 25, 0, ""),                                                // n = 0
        chunk("0080", 9000, 0, std::string(kMaxChunkData + 1, 'x')),             // n too big
        chunk("0080", 0, 0, "x"),                                                // total 0
        chunk("0080", static_cast<std::uint32_t>(kMaxMessageSize + 1), 0, "x"),  // oversized
        chunk("0080", 0xFFFFFFFFu, 0, "x"),                                      // oversized
        std::string(40, '\xFF'),                                                 // garbage
    };
    for (const std::string& bad : cases) {
        ChunkDecoder fresh;
        std::vector<FrameEvent> got;
        // A gathered partial message goes with it.
        ASSERT_EQ(fresh.feed(chunk("0079", 100, 0, "partial"), got), Status::Ok);
        EXPECT_EQ(fresh.feed(bad + valid, got), Status::Ok);
        EXPECT_TRUE(got.empty());
        EXPECT_FALSE(fresh.hasPartial());
        EXPECT_EQ(fresh.feed(valid, got), Status::Ok);
        EXPECT_EQ(got, std::vector<FrameEvent>{data("valid")});
    }
}

TEST_F(ChunkDecoderTest, MalformedHeaderRightAfterAChunkEndsTheConnection) {
    const std::string garbage(20, 'G');
    EXPECT_EQ(feed(wire("0090", "kept") + garbage), Status::ConnectionGone);
    EXPECT_EQ(events, std::vector<FrameEvent>{data("kept")});

    // Also after a chunk that only begins a multi-chunk message.
    ChunkDecoder second;
    std::vector<FrameEvent> got;
    const std::string frame = encodeFrame("0091", "two parts");
    EXPECT_EQ(second.feed(chunk("0091", static_cast<std::uint32_t>(frame.size()), 0,
                                std::string_view(frame).substr(0, 5)) +
                              garbage,
                          got),
              Status::ConnectionGone);
}

TEST_F(ChunkDecoderTest, PartialHeaderAfterAChunkIsJudgedAsFreshInput) {
    EXPECT_EQ(feed(wire("0100", "first") + std::string(12, 'G')), Status::Ok);
    EXPECT_TRUE(decoder.hasPartial());
    EXPECT_EQ(feed(std::string(8, 'G')), Status::Ok);  // now 20 bytes of garbage: dropped
    EXPECT_FALSE(decoder.hasPartial());
    EXPECT_EQ(feed(wire("0101", "second")), Status::Ok);
    EXPECT_EQ(events, (std::vector<FrameEvent>{data("first"), data("second")}));
}

TEST_F(ChunkDecoderTest, ZeroLengthFrameGivesClosed) {
    feed(chunk("0110", 20, 0, "<Msg0110>0</Msg0110>"));
    EXPECT_EQ(events, (std::vector<FrameEvent>{FrameEvent{FrameEvent::Kind::Closed, {}}}));
}

TEST_F(ChunkDecoderTest, UnparsableFrameGivesNothing) {
    EXPECT_EQ(feed(chunk("0111", 24, 0, "this is not a frame!!!!!")), Status::Ok);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(decoder.hasPartial());
}

TEST_F(ChunkDecoderTest, DiscardPartialDropsHalfAChunkAndGatheredChunks) {
    const std::string frame = encodeFrame("0120", "0123456789");
    feed(chunk("0120", static_cast<std::uint32_t>(frame.size()), 0,
               std::string_view(frame).substr(0, 10)));
    feed(wire("0121", "half").substr(0, 25));
    EXPECT_TRUE(decoder.hasPartial());
    decoder.discardPartial();
    EXPECT_FALSE(decoder.hasPartial());
    feed(chunk("0120", static_cast<std::uint32_t>(frame.size()), 1,
               std::string_view(frame).substr(10)));  // rest of the dropped message
    feed(wire("0122", "whole"));
    EXPECT_EQ(events, std::vector<FrameEvent>{data("whole")});
}

TEST_F(ChunkDecoderTest, RandomBytesNeverYieldMoreThanTheyCouldHold) {
    std::mt19937 generator(2024);
    for (int round = 0; round < 200; ++round) {
        ChunkDecoder fresh;
        std::vector<FrameEvent> got;
        std::string bytes(generator() % 3000, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(generator() & 0xFF);
        }
        if (round % 2 == 0) {
            bytes.replace(0, std::min<std::size_t>(4, bytes.size()), "EMSG");
        }
        std::size_t fed = 0;
        while (fed < bytes.size()) {
            const std::size_t piece = 1 + generator() % 64;
            if (fresh.feed(std::string_view(bytes).substr(fed, piece), got) ==
                Status::ConnectionGone) {
                break;
            }
            fed += piece;
        }
        EXPECT_LE(got.size(), bytes.size() / 20);
    }
}

// The receiver's rules in their plainest form: every read appended to one
// buffer, walked from its start; a frame completed by its chunks decoded from
// its own copy.
class ReferenceDecoder {
public:
    Status feed(std::string_view bytes, std::vector<FrameEvent>& events) {
        m_buffer.append(bytes);
        std::size_t position = 0;
        bool followsChunk = false;
        while (m_buffer.size() - position >= kChunkHeaderSize) {
            const std::string_view header = std::string_view(m_buffer).substr(position);
            std::uint32_t id = 0;
            bool idDigits = true;
            for (std::size_t i = 4; i < 8; ++i) {
                idDigits = idDigits && header[i] >= '0' && header[i] <= '9';
                id = id * 10 + static_cast<std::uint32_t>(header[i] - '0');
            }
            const std::uint32_t total = u32(header, 8);
            const std::uint32_t index = u32(header, 12);
            const std::uint32_t length = u32(header, 16);
            if (header.substr(0, 4) != "EMSG" || !idDigits || length < 1 ||
                length > kMaxChunkData || total < 1 || total > kMaxMessageSize) {
                *this = ReferenceDecoder();
                return followsChunk ? Status::ConnectionGone : Status::Ok;
            }
            if (header.size() - kChunkHeaderSize < length) {
                break;
            }
            if (!m_gathering || id != m_id || index != m_next) {
                m_frame.clear();
                m_id = id;
                m_total = total;
                m_gathering = true;
            }
            const std::string_view data = header.substr(kChunkHeaderSize, length);
            if (m_total - m_frame.size() < data.size()) {
                m_frame.clear();
                m_gathering = false;
            } else {
                m_frame.append(data);
                m_next = index + 1;
                if (m_frame.size() == m_total) {
                    for (FrameEvent& event : decodeFrames(m_frame)) {
                        events.push_back(std::move(event));
                    }
                    m_frame.clear();
                    m_gathering = false;
                }
            }
            position += kChunkHeaderSize + length;
            followsChunk = true;
        }
        m_buffer.erase(0, position);
        return Status::Ok;
    }

    bool hasPartial() const { return !m_buffer.empty() || m_gathering; }

private:
    static std::uint32_t u32(std::string_view bytes, std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 4; i-- > 0;) {
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    }

    std::string m_buffer;
    std::string m_frame;
    std::uint32_t m_id = 0;
    std::uint32_t m_total = 0;
    std::uint32_t m_next = 0;
    bool m_gathering = false;
};

TEST(ChunkDecoderRules, AgreesWithThePlainRulesOnRandomStreams) {
    // Whole and cut chunks, multi-chunk frames, interleaved and out-of-order
    // chunks, garbage: after every read the events, the status and the
    // partial state are those of the plain rules.
    std::mt19937 generator(99);
    const auto randomText = [&](std::size_t size) {
        std::string text(size, '\0');
        for (char& c : text) {
            c = static_cast<char>('a' + generator() % 26);
        }
        return text;
    };
    for (int round = 0; round < 400; ++round) {
        std::string stream;
        for (int part = 0; part < 12; ++part) {
            const unsigned kind = generator() % 10;
            const std::string id = std::to_string(1000 + generator() % 3);
            if (kind < 5) {
                stream += wire(id, randomText(1 + generator() % 300));
            } else if (kind < 7) {
                stream += wire(id, randomText(kMaxChunkData + generator() % 9000));
            } else if (kind == 7) {
                // One chunk of a longer frame, as if the rest went astray.
                const std::string frame = encodeFrame(id, randomText(9000));
                stream += chunk(id, static_cast<std::uint32_t>(frame.size()), generator() % 2,
                                std::string_view(frame).substr(0, 4000));
            } else if (kind == 8) {
                stream += chunk(id, 5, 0, "toolongdata");  // more data than the total
            } else {
                stream += randomText(1 + generator() % 30);  // garbage
            }
        }
        ChunkDecoder decoder;
        ReferenceDecoder reference;
        std::vector<FrameEvent> got;
        std::vector<FrameEvent> expected;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t read = 1 + generator() % (round % 2 == 0 ? 64 : kMaxReadSize);
            const std::string_view bytes = std::string_view(stream).substr(at, read);
            at += bytes.size();
            const Status status = decoder.feed(bytes, got);
            ASSERT_EQ(status, reference.feed(bytes, expected)) << "round " << round;
            ASSERT_EQ(got, expected) << "round " << round;
            ASSERT_EQ(decoder.hasPartial(), reference.hasPartial()) << "round " << round;
            if (status == Status::ConnectionGone) {
                break;
            }
        }
    }
}

}  // namespace
}  // namespace lanzhou::protocol
