#pragma once

#include <QByteArray>

#include <memory>

namespace lanzhou::display {

// Plays sounds held in memory without waiting for them to end. The audio
// device is opened on the first play; when there is none, nothing plays and
// nothing is reported. GUI thread only.
class SoundPlayer final {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts playing WAV (or another format the audio library reads) bytes
    // once. False when the bytes could not be played.
    bool play(const QByteArray& bytes);
    // The built-in one-second chime of the prompt windows.
    void playPromptChime();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// The built-in chime: a RIFF WAVE file of 44136 bytes (PCM, mono, 22050 Hz,
// 16 bits, one second).
const QByteArray& promptChimeWav();

}  // namespace lanzhou::display
