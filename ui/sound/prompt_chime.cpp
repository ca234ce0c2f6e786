#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "ui/sound/sound_player.h"

namespace lanzhou::display {
namespace {

constexpr int kSampleRate = 22050;
constexpr int kSampleCount = 22046;  // 44092 bytes of 16-bit samples
constexpr int kHeaderBytes = 44;

// One struck bell tone: a fundamental with two quieter, slightly inharmonic
// partials, a soft raised-cosine attack and an exponential decay.
double bell(double t, double frequency) {
    if (t < 0.0) {
        return 0.0;
    }
    constexpr double kAttack = 0.012;
    const double attack = t < kAttack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / kAttack) : 1.0;
    const double phase = 2.0 * std::numbers::pi * frequency * t;
    const double tone = std::sin(phase) * std::exp(-t / 0.28) +
                        0.35 * std::sin(2.0 * phase) * std::exp(-t / 0.16) +
                        0.12 * std::sin(2.76 * phase) * std::exp(-t / 0.09);
    return attack * tone;
}

void putTag(QByteArray& wav, int at, const char (&tag)[5]) {
    std::copy(tag, tag + 4, wav.data() + at);
}

void putU32(QByteArray& wav, int at, std::uint32_t value) {
    qToLittleEndian<std::uint32_t>(value, wav.data() + at);
}

void putU16(QByteArray& wav, int at, std::uint16_t value) {
    qToLittleEndian<std::uint16_t>(value, wav.data() + at);
}

QByteArray makeChime() {
    constexpr int kDataBytes = kSampleCount * 2;
    QByteArray wav(kHeaderBytes + kDataBytes, '\0');
    putTag(wav, 0, "RIFF");
    putU32(wav, 4, 36 + kDataBytes);
    putTag(wav, 8, "WAVE");
    putTag(wav, 12, "fmt ");
    putU32(wav, 16, 16);  // PCM format block
    putU16(wav, 20, 1);   // PCM
    putU16(wav, 22, 1);   // mono
    putU32(wav, 24, kSampleRate);
    putU32(wav, 28, kSampleRate * 2);  // bytes per second
    putU16(wav, 32, 2);                // bytes per sample frame
    putU16(wav, 34, 16);               // bits per sample
    putTag(wav, 36, "data");
    putU32(wav, 40, kDataBytes);

    // Two strikes, a major third apart (E6 then C6), faded out over the last
    // 40 ms so that the sound ends at rest.
    constexpr double kHigh = 1318.51;
    constexpr double kLow = 1046.50;
    constexpr double kSecondStrike = 0.28;
    constexpr double kFade = 0.04;
    constexpr double kLength = static_cast<double>(kSampleCount) / kSampleRate;
    constexpr double kPeak = 0.42 * 32767.0;
    for (int i = 0; i < kSampleCount; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double value = 0.6 * bell(t, kHigh) + 0.6 * bell(t - kSecondStrike, kLow);
        const double left = kLength - t;
        if (left < kFade) {
            value *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / kFade);
        }
        const double scaled = std::clamp(value * kPeak, -32768.0, 32767.0);
        qToLittleEndian<std::int16_t>(static_cast<std::int16_t>(std::lround(scaled)),
                                      wav.data() + kHeaderBytes + 2 * i);
    }
    return wav;
}

}  // namespace

const QByteArray& promptChimeWav() {
    static const QByteArray wav = makeChime();
    return wav;
}

}  // namespace lanzhou::display
