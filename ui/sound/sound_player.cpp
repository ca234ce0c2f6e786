#include "ui/sound/sound_player.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <utility>
#include <vector>

#include "platform/sound_library_messages.h"
#include "ui/sound/sound_log.h"

namespace lanzhou::display {
namespace {

// Sounds are short alert files; anything larger is not played.
constexpr qsizetype kMaxSoundBytes = 32 * 1024 * 1024;
constexpr int kMixChannels = 16;

// Standard MIDI files, bare or in a RIFF "RMID" wrapper.
bool isMidi(const QByteArray& bytes) {
    return bytes.startsWith("MThd") ||
           (bytes.startsWith("RIFF") && bytes.size() >= 12 && bytes.mid(8, 4) == "RMID");
}

void dropSdlLog(void*, int, SDL_LogPriority, const char*) {}

}  // namespace

// The mixer is opened on the first play and closed with the player. Chunks
// stay alive while a channel plays them; finished ones are freed on the next
// play (the mixer's callbacks run on the audio thread, where no mixer call
// is allowed).
class SoundPlayer::Impl final {
public:
    Impl() = default;
    ~Impl() { close(); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    bool play(const QByteArray& bytes) {
        if (bytes.isEmpty() || bytes.size() > kMaxSoundBytes || !ensureOpen()) {
            return false;
        }
        freeFinished();
        SDL_RWops* source = SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
        if (!source) {
            return false;
        }
        Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 1);
        if (!chunk) {
            if (isMidi(bytes) && playAsMusic(bytes)) {
                return true;
            }
            qCDebug(soundLog, "sound not played: %s", Mix_GetError());
            return false;
        }
        if (!start(chunk)) {
            Mix_FreeChunk(chunk);
            return false;
        }
        return true;
    }

    bool playChime() {
        if (!ensureOpen()) {
            return false;
        }
        freeFinished();
        if (!m_chime) {
            const QByteArray& wav = promptChimeWav();
            SDL_RWops* source = SDL_RWFromConstMem(wav.constData(), static_cast<int>(wav.size()));
            m_chime = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
            if (!m_chime) {
                return false;
            }
        }
        // The chime is kept for the next prompt, so it is not recorded as
        // playing.
        return Mix_PlayChannel(-1, m_chime, 0) >= 0;
    }

private:
    enum class Device { Closed, Open, Failed };

    struct Playing {
        Mix_Chunk* chunk;
        int channel;
    };

    bool ensureOpen() {
        if (m_device == Device::Closed) {
            m_device = open() ? Device::Open : Device::Failed;
        }
        return m_device == Device::Open;
    }

    static bool open() {
        // A failure to open is our return value, not a report on standard
        // error: neither SDL's log nor the system's sound library prints.
        SDL_LogSetOutputFunction(&dropSdlLog, nullptr);
        platform::silenceSoundLibraryMessages();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            qCDebug(soundLog, "no audio output: %s", SDL_GetError());
            return false;
        }
        // MIDI alert sounds need the MIDI decoder; WAV needs nothing. A
        // missing decoder only means that such files do not play.
        Mix_Init(MIX_INIT_MID);
        if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
            qCDebug(soundLog, "no audio output: %s", Mix_GetError());
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        Mix_AllocateChannels(kMixChannels);
        return true;
    }

    bool start(Mix_Chunk* chunk) {
        const int channel = Mix_PlayChannel(-1, chunk, 0);
        if (channel < 0) {
            return false;
        }
        m_playing.push_back({chunk, channel});
        return true;
    }

    // What the mixer cannot decode into memory up front (MIDI through the
    // system's own synthesizer) plays on its one music channel, replacing the
    // music before. Music reads its bytes while it plays, so they are kept.
    bool playAsMusic(const QByteArray& bytes) {
        QByteArray kept(bytes.constData(), bytes.size());  // owned, whatever the caller holds
        SDL_RWops* source = SDL_RWFromConstMem(kept.constData(), static_cast<int>(kept.size()));
        Mix_Music* music = source ? Mix_LoadMUS_RW(source, 1) : nullptr;
        if (!music) {
            return false;
        }
        freeMusic();
        if (Mix_PlayMusic(music, 0) != 0) {
            Mix_FreeMusic(music);
            return false;
        }
        m_music = music;
        m_musicBytes = std::move(kept);  // the same buffer the music reads
        return true;
    }

    void freeMusic() {
        if (m_music) {
            Mix_FreeMusic(m_music);  // halts it when it still plays
            m_music = nullptr;
            m_musicBytes.clear();
        }
    }

    void freeFinished() {
        if (m_music && Mix_PlayingMusic() == 0) {
            freeMusic();
        }
        std::erase_if(m_playing, [](const Playing& entry) {
            const bool finished =
                Mix_Playing(entry.channel) == 0 || Mix_GetChunk(entry.channel) != entry.chunk;
            if (finished) {
                Mix_FreeChunk(entry.chunk);
            }
            return finished;
        });
    }

    void close() {
        if (m_device != Device::Open) {
            return;
        }
        Mix_HaltChannel(-1);
        freeMusic();
        for (const Playing& entry : m_playing) {
            Mix_FreeChunk(entry.chunk);
        }
        m_playing.clear();
        if (m_chime) {
            Mix_FreeChunk(m_chime);
            m_chime = nullptr;
        }
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_device = Device::Closed;
    }

    Device m_device = Device::Closed;
    std::vector<Playing> m_playing;
    Mix_Chunk* m_chime = nullptr;
    Mix_Music* m_music = nullptr;
    QByteArray m_musicBytes;
};

SoundPlayer::SoundPlayer() : m_impl(std::make_unique<Impl>()) {}

SoundPlayer::~SoundPlayer() = default;

bool SoundPlayer::play(const QByteArray& bytes) {
    return m_impl->play(bytes);
}

void SoundPlayer::playPromptChime() {
    m_impl->playChime();
}

}  // namespace lanzhou::display
