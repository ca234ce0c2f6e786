#pragma once

// Sounds for the sound tests: a generated tone as a RIFF WAVE file and a tiny
// MIDI file. SDL chooses its audio driver when its audio starts: a ScopedEnv
// switches it.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "tests/gui/support/scoped_env.h"

namespace lanzhou::test {

inline void appendLe(QByteArray& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

// A RIFF WAVE header for 16-bit mono PCM at 22050 Hz with `dataBytes` of
// samples to follow.
inline QByteArray waveHeader(std::uint32_t dataBytes) {
    QByteArray bytes("RIFF");
    appendLe(bytes, 36 + dataBytes, 4);
    bytes.append("WAVEfmt ");
    appendLe(bytes, 16, 4);
    appendLe(bytes, 1, 2);          // PCM
    appendLe(bytes, 1, 2);          // mono
    appendLe(bytes, 22050, 4);      // samples per second
    appendLe(bytes, 22050 * 2, 4);  // bytes per second
    appendLe(bytes, 2, 2);          // block align
    appendLe(bytes, 16, 2);         // bits per sample
    bytes.append("data");
    appendLe(bytes, dataBytes, 4);
    return bytes;
}

// A quarter second of a 660 Hz tone.
inline QByteArray toneWave() {
    constexpr int kSamples = 22050 / 4;
    QByteArray bytes = waveHeader(kSamples * 2);
    for (int i = 0; i < kSamples; ++i) {
        const double phase = 2 * std::numbers::pi * 660 * i / 22050.0;
        const auto sample = static_cast<std::int16_t>(12000 * std::sin(phase));
        appendLe(bytes, static_cast<std::uint16_t>(sample), 2);
    }
    return bytes;
}

// Whether SDL's disk driver has written anything but silence into `rawFile`
// (a missing file holds none).
inline bool soundWrittenTo(const QString& rawFile) {
    QFile raw(rawFile);
    const QByteArray bytes = raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
    return std::any_of(bytes.cbegin(), bytes.cend(), [](char byte) { return byte != 0; });
}

// One track: middle C for a quarter note.
inline QByteArray tinyMidi() {
    static const unsigned char bytes[] = {
        'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    0,    0,    1,
        0,    0x60,                                    // format 0, one track
        'M',  'T',  'r',  'k',  0,    0,    0,    12,  // the track
        0x00, 0x90, 0x3c, 0x40, 0x60, 0x80, 0x3c, 0x40, 0x00, 0xff, 0x2f, 0x00};
    return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

}  // namespace lanzhou::test
