#include "protocol/packed_payload.h"
#include "tests/support/random_bytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace lanzhou::protocol {
namespace {

using test::randomBytes;

using namespace std::string_literals;

// A payload whose header announces `announced` instead of the true length.
std::string withAnnouncedLength(std::string payload, std::uint32_t announced) {
    for (int i = 0; i < 4; ++i) {
        payload[4 + static_cast<std::size_t>(i)] = static_cast<char>((announced >> (8 * i)) & 0xFF);
    }
    return payload;
}

TEST(PackedPayload, PackMatchesTheVector) {
    EXPECT_EQ(pack("#54"),
              "\x0D\x0F\x3E\x03\x03\x00\x00\x00\x78\x9C\x53\x36\x35\x01\x00\x01\x0A\x00\x8D"s);
}

TEST(PackedPayload, EmptyInputIsTheHeaderAloneAndUnpacksToNothing) {
    const std::string packed = pack("");
    EXPECT_EQ(packed, "\x0D\x0F\x3E\x03\x00\x00\x00\x00"s);
    EXPECT_EQ(unpack(packed), "");
}

TEST(PackedPayload, RoundTripsAnyNonEmptyInput) {
    const std::string inputs[] = {
        "1",
        "#a3|demo|pw",
        "\0zero\0bytes\0"s,
        "\xD5\xCB\xBA\xC5|\xA1\xEE\xA1\xA9",
        std::string(1 << 20, 'x'),  // compresses far below its size
        randomBytes(100'000, 7),    // does not compress at all
    };
    for (const std::string& input : inputs) {
        const std::string packed = pack(input);
        ASSERT_GE(packed.size(), kPayloadHeaderSize);
        EXPECT_EQ(unpack(packed), input) << "input of " << input.size() << " bytes";
    }
}

TEST(PackedPayload, UnpackRefusesWhatIsNotAValidPayload) {
    const std::string good = pack("hello, world");
    std::string badMagic = good;
    badMagic[0] = '\x0E';
    std::string corrupt = good;
    corrupt[12] = static_cast<char>(corrupt[12] ^ 0x55);
    std::string badChecksum = good;
    badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x01);

    struct Case {
        const char* name;
        std::string payload;
    };
    const Case cases[] = {
        {"empty", ""},
        {"seven bytes", good.substr(0, 7)},
        {"wrong magic", badMagic},
        {"header only, length announced", good.substr(0, kPayloadHeaderSize)},
        {"truncated stream", good.substr(0, good.size() - 3)},
        {"corrupt stream", corrupt},
        {"bad checksum", badChecksum},
        {"announced length 0", withAnnouncedLength(good, 0)},
        {"announced below half the true length", withAnnouncedLength(good, 5)},
        {"announced above the cap",
         withAnnouncedLength(good, static_cast<std::uint32_t>(kMaxMessageSize + 1))},
        {"announced 0xFFFFFFFF", withAnnouncedLength(good, 0xFFFFFFFFu)},
        {"not a zlib stream", "\x0D\x0F\x3E\x03\x05\x00\x00\x00hello"s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unpack(c.payload), "") << c.name;
    }
}

TEST(PackedPayload, UnpackReturnsWhatZlibProducedWhateverTheAnnouncedLength) {
    const std::string text = "hello, world";  // 12 bytes
    const std::string good = pack(text);
    struct Case {
        std::uint32_t announced;
        const char* why;
    };
    const Case cases[] = {
        {12, "exact"},
        {1000, "larger than the true length"},
        {6, "exactly half: the output fills the capacity"},
        {static_cast<std::uint32_t>(kMaxMessageSize), "the largest accepted"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unpack(withAnnouncedLength(good, c.announced)), text) << c.why;
    }
}

TEST(PackedPayload, UnpackIgnoresBytesAfterTheEndOfTheStream) {
    EXPECT_EQ(unpack(pack("#TM") + "trailing junk"), "#TM");
}

TEST(PackedPayload, InflationBombIsRefused) {
    // 8 MiB of zeros announced as 1000 bytes: stops at 2000 bytes of output.
    const std::string bomb = withAnnouncedLength(pack(std::string(8 << 20, '\0')), 1000);
    EXPECT_EQ(unpack(bomb), "");
}

TEST(PackedPayload, PackGivesTheBytesOfCompress2CallAfterCall) {
    // The deflate stream is kept between calls: every call must still give
    // exactly what a fresh compress2 at the default level gives.
    const std::string inputs[] = {"#54", std::string(70'000, 'a') + "tail", randomBytes(5000, 3),
                                  "#54", "\xD5\xCB\xBA\xC5"};
    for (const std::string& input : inputs) {
        std::string expected(compressBound(static_cast<uLong>(input.size())), '\0');
        uLongf size = static_cast<uLongf>(expected.size());
        ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(expected.data()), &size,
                            reinterpret_cast<const Bytef*>(input.data()),
                            static_cast<uLong>(input.size()), Z_DEFAULT_COMPRESSION),
                  Z_OK);
        expected.resize(size);
        const std::string packed = pack(input);
        ASSERT_GE(packed.size(), kPayloadHeaderSize);
        EXPECT_EQ(packed.substr(kPayloadHeaderSize), expected) << input.size() << " bytes";
    }
}

TEST(PackedPayload, UnpackAfterAFailedUnpackReadsOnlyItsOwnInput) {
    // Each failure leaves the thread's inflate stream in a different state;
    // the next payload must not be read against any of it.
    const std::string good = pack("#aiA1|2024-03-10 09:00:00|1");
    const std::string bomb = withAnnouncedLength(pack(std::string(100'000, '\0')), 10);
    std::string corrupt = pack(std::string(5000, 'q') + randomBytes(3000, 9));
    corrupt[corrupt.size() / 2] = static_cast<char>(corrupt[corrupt.size() / 2] ^ 0x5A);
    const std::string failures[] = {
        good.substr(0, good.size() - 5),  // truncated: input left unread
        bomb,                             // stopped with output pending
        corrupt,
        withAnnouncedLength(good, 3),
    };
    for (const std::string& failure : failures) {
        ASSERT_EQ(unpack(failure), "");
        EXPECT_EQ(unpack(good), "#aiA1|2024-03-10 09:00:00|1");
    }
}

TEST(PackedPayload, UnpackIntoReusesTheOutputAndEmptiesItOnFailure) {
    std::string out = "left over from before";
    ASSERT_TRUE(unpack(pack("first"), out));
    EXPECT_EQ(out, "first");
    const std::string big(200'000, 'x');  // beyond the first guess of the output size
    ASSERT_TRUE(unpack(pack(big), out));
    EXPECT_EQ(out, big);
    EXPECT_FALSE(unpack("not a payload", out));
    EXPECT_EQ(out, "");
    ASSERT_TRUE(unpack(pack("short"), out));
    EXPECT_EQ(out, "short");
}

TEST(PackedPayload, UnpackIntoAScratchLargerThanNeededKeepsEveryLimit) {
    // A scratch left large by an earlier message: later payloads give exactly
    // their bytes, and one that inflates beyond twice its announced length is
    // still refused although the scratch would hold it.
    std::string scratch;
    const std::string big(200'000, 'x');
    ASSERT_EQ(unpackInto(pack(big), scratch), big);
    const std::size_t size = scratch.size();
    EXPECT_EQ(unpackInto(pack("#TM"), scratch), "#TM");
    EXPECT_EQ(unpackInto(withAnnouncedLength(pack(std::string(1000, 'y')), 499), scratch),
              std::nullopt);
    EXPECT_EQ(unpackInto(withAnnouncedLength(pack(std::string(1000, 'y')), 500), scratch),
              std::string(1000, 'y'));
    EXPECT_EQ(unpackInto("not a payload", scratch), std::nullopt);
    EXPECT_EQ(scratch.size(), size);  // never filled again
}

TEST(PackedPayload, ThreadsPackAndUnpackIndependently) {
    // Each thread has its own zlib streams.
    constexpr int kThreads = 4;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &mismatches] {
            for (int i = 0; i < 200; ++i) {
                const std::string text =
                    randomBytes(static_cast<std::size_t>(1 + (i * 37 + t) % 3000),
                                static_cast<unsigned>(t * 1000 + i));
                if (unpack(pack(text)) != text) {
                    ++mismatches[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

}  // namespace
}  // namespace lanzhou::protocol
