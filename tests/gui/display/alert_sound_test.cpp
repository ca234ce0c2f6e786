// playAlertSound: the sound file named by a GBK path text is read whole and
// played; missing, empty, junk and oversized files play nothing. On SDL's
// disk driver the alert sound reaches the output as samples, and nothing
// played is silence.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "client/display/alert_sound.h"
#include "platform/paths.h"
#include "tests/gui/support/test_sounds.h"
#include "tests/support/gbk_literal.h"
#include "ui/sound/sound_player.h"

namespace lanzhou::display {
namespace {

using test::G;
using test::ScopedEnv;
using test::soundWrittenTo;
using test::tinyMidi;
using test::toneWave;
using test::waveHeader;

// A run directory with sound files in its folder "音乐"; paths are handed
// over as the client keeps them: GBK text with "\" between folders.
class AlertSoundFiles : public ::testing::Test {
protected:
    AlertSoundFiles() { QDir(m_dir.path()).mkdir(QStringLiteral("音乐")); }

    // The GBK path text of `name` (UTF-8) in the folder, after writing it.
    std::string write(const char* name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(QStringLiteral("音乐/") + QString::fromUtf8(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path(name);
    }
    std::string path(const char* name) const {
        return platform::gbkFromPath(QFile::encodeName(m_dir.path()).toStdString()) +
               G("\\音乐\\") + G(name);
    }

    QTemporaryDir m_dir;
};

TEST_F(AlertSoundFiles, WaveAndMidiFilesPlay) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundPlayer player;
    EXPECT_TRUE(playAlertSound(player, write("提示.wav", toneWave())));
    EXPECT_TRUE(playAlertSound(player, write("x.mid", tinyMidi())));
    EXPECT_TRUE(playAlertSound(player, path("提示.wav"))) << "again, over the first";
}

TEST_F(AlertSoundFiles, WhatIsNoSoundPlaysNothing) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundPlayer player;
    QByteArray cutMidi = tinyMidi();
    cutMidi.truncate(10);
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"missing file", path("无.wav")},
        {"empty path", std::string()},
        {"empty file", write("empty.wav", QByteArray())},
        {"junk", write("junk.wav", QByteArray(4096, '\x5a'))},
        {"wave header only", write("header.wav", waveHeader(0).left(20))},
        {"cut MIDI", write("cut.mid", cutMidi)},
        {"a folder", path("")},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(playAlertSound(player, c.path)) << c.what;
    }
    EXPECT_TRUE(playAlertSound(player, write("after.wav", toneWave()))) << "still plays";
}

TEST_F(AlertSoundFiles, OversizedFileIsNotRead) {
    // A well-formed wave just over the bound (32 MiB) of an alert sound.
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundPlayer player;
    constexpr qint64 kBound = qint64{32} << 20;
    QFile file(m_dir.filePath(QStringLiteral("音乐/big.wav")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray header = waveHeader(static_cast<std::uint32_t>(kBound + 2 - 44));
    ASSERT_EQ(header.size(), 44);
    file.write(header);
    ASSERT_TRUE(file.resize(kBound + 2));  // silent samples, sparse on disk
    file.close();
    EXPECT_FALSE(playAlertSound(player, path("big.wav")));
}

// SDL's disk driver writes the mixed output to a file, in real time.
class AlertSoundOnDisk : public AlertSoundFiles {
protected:
    bool opened() const { return QFile::exists(m_output); }
    QByteArray written() const {
        QFile raw(m_output);
        return raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
    }
    bool soundReachesOutput() {
        return QTest::qWaitFor([this] { return soundWrittenTo(m_output); }, 5000);
    }

    QString m_output = m_dir.filePath(QStringLiteral("out.raw"));
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv m_file{"SDL_DISKAUDIOFILE", QFile::encodeName(m_output)};
    // Last member: closes the device and SDL's audio before the driver
    // variables change back.
    std::unique_ptr<SoundPlayer> m_player = std::make_unique<SoundPlayer>();
};

TEST_F(AlertSoundOnDisk, WaveFileReachesTheOutputAsSamples) {
    ASSERT_TRUE(playAlertSound(*m_player, write("提示.wav", toneWave())));
    if (!opened()) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    EXPECT_TRUE(soundReachesOutput());
}

TEST_F(AlertSoundOnDisk, MidiFileReachesTheOutputAsSamples) {
    ASSERT_TRUE(playAlertSound(*m_player, write("x.mid", tinyMidi())));
    if (!opened()) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    EXPECT_TRUE(soundReachesOutput());
}

TEST_F(AlertSoundOnDisk, NothingPlayedIsSilence) {
    EXPECT_FALSE(playAlertSound(*m_player, path("无.wav")));
    // Junk opens the device without playing, so there is output to look at.
    EXPECT_FALSE(playAlertSound(*m_player, write("junk.wav", QByteArray(4096, '\x5a'))));
    if (!opened()) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    EXPECT_TRUE(QTest::qWaitFor([this] { return QFileInfo(m_output).size() >= 8192; }, 5000));
    m_player.reset();
    const QByteArray bytes = written();
    EXPECT_GE(bytes.size(), 8192);
    EXPECT_FALSE(soundWrittenTo(m_output));
}

}  // namespace
}  // namespace lanzhou::display
