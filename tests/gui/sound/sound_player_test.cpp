// SoundPlayer on SDL's dummy driver (what plays and what does not) and on
// its disk driver (the chime reaches the output as samples).

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "tests/gui/support/test_sounds.h"
#include "ui/sound/sound_player.h"

namespace lanzhou::display {
namespace {

using test::ScopedEnv;
using test::soundWrittenTo;
using test::tinyMidi;

TEST(SoundPlayer, PlaysWaveBytesAndRefusesWhatIsNoSound) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundPlayer player;
    EXPECT_TRUE(player.play(promptChimeWav()));
    EXPECT_TRUE(player.play(promptChimeWav())) << "a second sound over the first";
    EXPECT_FALSE(player.play(QByteArray()));
    EXPECT_FALSE(player.play(QByteArray("RIFF\x10\0\0\0WAVEjunk-junk-junk", 24)));
    EXPECT_FALSE(player.play(QByteArray(4096, '\x5a')));
    player.playPromptChime();
    EXPECT_TRUE(player.play(promptChimeWav())) << "still plays after refused bytes";
}

TEST(SoundPlayer, PlaysMidiBytes) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundPlayer player;
    EXPECT_TRUE(player.play(tinyMidi()));
    EXPECT_TRUE(player.play(tinyMidi()));
    QByteArray truncated = tinyMidi();
    truncated.truncate(10);
    EXPECT_FALSE(player.play(truncated));
}

TEST(SoundPlayer, PlaysNothingWithoutAnAudioDevice) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SoundPlayer player;
    EXPECT_FALSE(player.play(promptChimeWav()));
    player.playPromptChime();  // nothing to hear, nothing reported
    EXPECT_FALSE(player.play(promptChimeWav()));
}

// SDL's disk driver writes the mixed output to a file, in real time.
class SoundPlayerOnDisk : public ::testing::Test {
protected:
    QByteArray written() const {
        QFile raw(m_output);
        return raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
    }
    bool opened() const { return QFile::exists(m_output); }

    QTemporaryDir m_dir;
    QString m_output = m_dir.filePath(QStringLiteral("out.raw"));
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv m_file{"SDL_DISKAUDIOFILE", QFile::encodeName(m_output)};
    // Last member: closes the device and SDL's audio before the driver
    // variables change back.
    std::unique_ptr<SoundPlayer> m_player = std::make_unique<SoundPlayer>();
};

TEST_F(SoundPlayerOnDisk, ChimeReachesTheOutputAsSamples) {
    m_player->playPromptChime();
    if (!opened()) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    EXPECT_TRUE(QTest::qWaitFor([this] { return soundWrittenTo(m_output); }, 5000));
}

TEST_F(SoundPlayerOnDisk, SilenceIsWhatItWritesWhenNothingPlays) {
    EXPECT_FALSE(m_player->play(QByteArray(64, '\x01')));
    if (!opened()) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    // The device is open now; what it writes while nothing plays is silence,
    // so the samples of the chime test come from the chime.
    EXPECT_TRUE(QTest::qWaitFor([this] { return QFileInfo(m_output).size() >= 8192; }, 5000));
    m_player.reset();
    const QByteArray bytes = written();
    EXPECT_TRUE(std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return byte == 0; }));
}

}  // namespace
}  // namespace lanzhou::display
