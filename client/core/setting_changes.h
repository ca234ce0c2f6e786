#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "client/core/line_choice.h"

namespace lanzhou::config {
class ConfigFile;
}

namespace lanzhou::core {

struct ClientSession;

// The settings the member changes in the settings window. Each setter
// changes the session field it concerns and writes its keys of k_config.ini
// at once. A write that fails is reported by the configuration file; the
// change applies to the running client all the same. Session thread only.
class SettingChanges final {
public:
    SettingChanges(ClientSession& session, const config::ConfigFile& config);

    // The frame's colour, 0x00BBGGRR: bx "0" and bcolour.
    void setSkinColour(std::int32_t colorRef);
    // The frame's picture, GBK path text: bx "1" and bpic.
    void setSkinPicture(std::string_view path);
    // The alert sound, GBK path text: the session's sound file and pmusic.
    void setSoundFile(std::string_view path);
    // The sound switch: the session's soundHint and hint1.
    void setSoundHint(bool on);
    // The popup switch: the session's popupHint and hint2.
    void setPopupHint(bool on);
    // The line of the next start: xl, the session's line and its prompt
    // text, which says to start again. False, with
    // nothing changed, when the line is the one chosen already.
    [[nodiscard]] bool setServerLine(LineChoice line);
    // Retrying a lost connection: the session's reconnect and "reconnect".
    void setReconnect(bool on);
    // Quiet hours, "HH:MM" each: the session's texts, quiet_from and quiet_to.
    void setQuietHours(std::string_view from, std::string_view to);
    // Told after every setQuietHours (the quiet watch looks again).
    void onQuietHoursChanged(std::function<void()> listener) {
        m_quietHoursChanged = std::move(listener);
    }
    // Starting with the computer: "autostart" only (the registration with
    // the desktop is the caller's).
    void setAutostart(bool on);

private:
    ClientSession& m_session;
    const config::ConfigFile& m_config;
    std::function<void()> m_quietHoursChanged;
};

}  // namespace lanzhou::core
