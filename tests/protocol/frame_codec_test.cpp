#include "protocol/frame_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/packed_payload.h"

namespace lanzhou::protocol {
namespace {

using namespace std::string_literals;

std::uint32_t u32At(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

const std::string kPayload54 =
    "\x0D\x0F\x3E\x03\x03\x00\x00\x00\x78\x9C\x53\x36\x35\x01\x00\x01\x0A\x00\x8D"s;

FrameEvent data(std::string bytes) {
    return {FrameEvent::Kind::Data, std::move(bytes)};
}
FrameEvent closed() {
    return {FrameEvent::Kind::Closed, {}};
}

TEST(FrameCodec, FrameAndChunkMatchTheVectors) {
    EXPECT_EQ(encodeFrame("0011", kPayload54), "<Msg0011>19</Msg0011>" + kPayload54);

    FrameEncoder encoder;
    EXPECT_EQ(encoder.encode(pack("#54")),
              "EMSG0011\x28\x00\x00\x00\x00\x00\x00\x00\x28\x00\x00\x00"s +
                  "<Msg0011>19</Msg0011>" + kPayload54);
}

TEST(FrameCodec, EmptyMessageGivesNoBytesAndUsesNoId) {
    FrameEncoder encoder;
    EXPECT_EQ(encoder.encode(""), "");
    EXPECT_EQ(encoder.encode("x").substr(4, 4), "0011");
    EXPECT_EQ(encoder.encode("y").substr(4, 4), "0012");
}

TEST(FrameCodec, IdsWrapFrom9999To0010) {
    MessageIdCounter ids;
    EXPECT_EQ(ids.next(), "0011");
    std::string id;
    for (int sent = 2; sent <= 9989; ++sent) {
        id = ids.next();
    }
    EXPECT_EQ(id, "9999");  // the 9989th message
    EXPECT_EQ(ids.next(), "0010");
    EXPECT_EQ(ids.next(), "0011");
}

TEST(FrameCodec, ChunksSplitAtTheEightKilobyteBoundary) {
    const std::string id = "0042";
    const std::size_t header = encodeFrame(id, std::string(8000, 'm')).size() - 8000;  // 23
    const std::size_t fits = kMaxChunkData - header;

    const std::string one = encodeChunks(id, encodeFrame(id, std::string(fits, 'm')));
    ASSERT_EQ(one.size(), kChunkHeaderSize + kMaxChunkData);
    EXPECT_EQ(one.substr(0, 8), "EMSG0042");
    EXPECT_EQ(u32At(one, 8), kMaxChunkData);
    EXPECT_EQ(u32At(one, 12), 0u);
    EXPECT_EQ(u32At(one, 16), kMaxChunkData);

    const std::string two = encodeChunks(id, encodeFrame(id, std::string(fits + 1, 'm')));
    ASSERT_EQ(two.size(), 2 * kChunkHeaderSize + kMaxChunkData + 1);
    const std::size_t second = kChunkHeaderSize + kMaxChunkData;
    EXPECT_EQ(u32At(two, 8), kMaxChunkData + 1);
    EXPECT_EQ(u32At(two, 16), kMaxChunkData);
    EXPECT_EQ(two.substr(second, 8), "EMSG0042");
    EXPECT_EQ(u32At(two, second + 8), kMaxChunkData + 1);  // total repeated
    EXPECT_EQ(u32At(two, second + 12), 1u);                // index
    EXPECT_EQ(u32At(two, second + 16), 1u);                // n
    EXPECT_EQ(two.substr(second + kChunkHeaderSize), "m");
}

TEST(FrameCodec, DecodeFramesFollowsTheFrameRules) {
    const std::string a = encodeFrame("0011", "first");
    const std::string b = encodeFrame("0012", "second message");
    const std::string zero = "<Msg0013>0</Msg0013>";
    struct Case {
        const char* name;
        std::string frame;
        std::vector<FrameEvent> expected;
    };
    const std::vector<Case> cases = {
        {"one message", a, {data("first")}},
        {"two frames back to back", a + b, {data("first"), data("second message")}},
        {"length 0 closes; the rest is ignored", zero + a, {closed()}},
        {"message then closing frame", a + zero, {data("first"), closed()}},
        {"unparsable rest after a message", a + "garbage that is long", {data("first")}},
        {"short rest after a message", a + "<Msg", {data("first")}},
        {"empty length run reads as 0", "<Msg0011></Msg0011>x", {closed()}},
        {"binary message with '<' inside", encodeFrame("0011", "a<b\0c"s), {data("a<b\0c"s)}},
        {"shorter than 20 bytes", "<Msg0011>1</Msg0011>", {}},
        {"wrong start", "<Msh0011>5</Msg0011>hello", {}},
        {"non-digit in the length", "<Msg0011>5a</Msg0011>hello", {}},
        {"signed length", "<Msg0011>-5</Msg0011>hello", {}},
        {"ten length digits", "<Msg0011>0000000005</Msg0011>hello", {}},
        {"nine length digits", "<Msg0011>000000005</Msg0011>hello", {data("hello")}},
        {"body shorter than the length", "<Msg0011>6</Msg0011>hello", {}},
        {"digits up to the end of the frame", "<Msg0011>12345678901", {}},
        {"header bytes after the digits are not checked",
         "<Msg0011>5<xxxxxxxxxhello",
         {data("hello")}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeFrames(c.frame), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace lanzhou::protocol
