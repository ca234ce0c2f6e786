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

#include "client/display/sound_player.h"

namespace lanzhou::display {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

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

TEST(SoundPlayer, PlaysNothingWithoutAnAudioDevice) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SoundPlayer player;
    EXPECT_FALSE(player.play(promptChimeWav()));
    player.playPromptChime();  // nothing to hear, nothing reported
    EXPECT_FALSE(player.play(promptChimeWav()));
}

TEST(SoundPlayer, ChimeReachesTheOutputAsSamples) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString output = dir.filePath(QStringLiteral("out.raw"));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", QFile::encodeName(output));
    auto player = std::make_unique<SoundPlayer>();
    if (!player->play(promptChimeWav())) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    const auto heardSomething = [&output] {
        QFile raw(output);
        if (!raw.open(QIODevice::ReadOnly)) {
            return false;
        }
        const QByteArray bytes = raw.readAll();
        return std::any_of(bytes.cbegin(), bytes.cend(), [](char byte) { return byte != 0; });
    };
    EXPECT_TRUE(QTest::qWaitFor(heardSomething, 5000));
    player.reset();  // closes the device and SDL's audio before the driver changes back
}

TEST(SoundPlayer, SilenceIsWhatTheDiskDriverWritesWhenNothingPlays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString output = dir.filePath(QStringLiteral("out.raw"));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", QFile::encodeName(output));
    auto player = std::make_unique<SoundPlayer>();
    if (player->play(QByteArray(64, '\x01'))) {
        FAIL() << "junk bytes played";
    }
    if (!QFile::exists(output)) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    // The device is open now; what it writes while nothing plays is silence,
    // so the samples of the chime test come from the chime.
    EXPECT_TRUE(QTest::qWaitFor([&output] { return QFileInfo(output).size() >= 8192; }, 5000));
    player.reset();
    QFile raw(output);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_TRUE(std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return byte == 0; }));
}

}  // namespace
}  // namespace lanzhou::display
