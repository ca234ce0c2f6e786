// The built-in chime: its WAVE header, size and the shape of its samples.

#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "ui/sound/sound_player.h"

namespace lanzhou::display {
namespace {

std::uint32_t u32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

std::uint16_t u16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
}

std::int16_t sample(const QByteArray& wav, int index) {
    return qFromLittleEndian<std::int16_t>(wav.constData() + 44 + 2 * index);
}

TEST(PromptChime, IsOneSecondOfMonoPcmIn44136Bytes) {
    const QByteArray& wav = promptChimeWav();
    ASSERT_EQ(wav.size(), 44136);
    EXPECT_EQ(wav.mid(0, 4), "RIFF");
    EXPECT_EQ(u32(wav, 4), 44136u - 8u);
    EXPECT_EQ(wav.mid(8, 4), "WAVE");
    EXPECT_EQ(wav.mid(12, 4), "fmt ");
    EXPECT_EQ(u32(wav, 16), 16u);
    EXPECT_EQ(u16(wav, 20), 1u);  // PCM
    EXPECT_EQ(u16(wav, 22), 1u);  // mono
    EXPECT_EQ(u32(wav, 24), 22050u);
    EXPECT_EQ(u32(wav, 28), 44100u);
    EXPECT_EQ(u16(wav, 32), 2u);
    EXPECT_EQ(u16(wav, 34), 16u);
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(u32(wav, 40), 44092u);
    EXPECT_EQ(&promptChimeWav(), &wav) << "built once";
}

TEST(PromptChime, StartsAndEndsAtRestAndIsAudibleWithoutClipping) {
    const QByteArray& wav = promptChimeWav();
    const int samples = (wav.size() - 44) / 2;
    int peak = 0;
    for (int i = 0; i < samples; ++i) {
        peak = std::max(peak, std::abs(int{sample(wav, i)}));
    }
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32000);
    // Soft attack: the first millisecond stays quiet; the tail has faded out.
    for (int i = 0; i < 22; ++i) {
        EXPECT_LT(std::abs(int{sample(wav, i)}), peak / 20) << "sample " << i;
    }
    for (int i = samples - 22; i < samples; ++i) {
        EXPECT_LT(std::abs(int{sample(wav, i)}), 64) << "sample " << i;
    }
    EXPECT_EQ(sample(wav, 0), 0);
}

}  // namespace
}  // namespace lanzhou::display
