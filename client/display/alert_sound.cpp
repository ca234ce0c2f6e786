#include "client/display/alert_sound.h"

#include <QByteArray>

#include <cstddef>
#include <optional>

#include "client/display/display_log.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "ui/sound/sound_player.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::display {
namespace {

// Alert sounds are short files; a larger one is not read, let alone played.
constexpr std::size_t kMaxSoundFileBytes = std::size_t{32} << 20;

}  // namespace

bool playAlertSound(SoundPlayer& player, const std::string& soundFileGbk) {
    if (soundFileGbk.empty()) {
        return false;
    }
    // One byte past the limit tells a file that is too large from one that
    // just fits.
    const std::optional<std::string> bytes =
        platform::readFile(platform::pathFromGbk(soundFileGbk), kMaxSoundFileBytes + 1);
    if (!bytes || bytes->empty() || bytes->size() > kMaxSoundFileBytes) {
        qCDebug(displayLog) << "alert sound not read:" << fromGbk(soundFileGbk);
        return false;
    }
    return player.play(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())));
}

}  // namespace lanzhou::display
