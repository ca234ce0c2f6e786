#include "client/core/setting_changes.h"

#include <string>

#include "client/core/client_session.h"
#include "client/core/texts.h"
#include "config/config_file.h"
#include "config/config_keys.h"

namespace lanzhou::core {
namespace {

namespace key = config::key;

}  // namespace

SettingChanges::SettingChanges(ClientSession& session, const config::ConfigFile& config)
    : m_session(session), m_config(config) {}

void SettingChanges::setSkinColour(std::int32_t colorRef) {
    m_config.write(key::kSkinKind, "0");
    m_config.write(key::kSkinColour, std::to_string(colorRef));
}

void SettingChanges::setSkinPicture(std::string_view path) {
    m_config.write(key::kSkinKind, "1");
    m_config.write(key::kSkinPicture, path);
}

void SettingChanges::setSoundFile(std::string_view path) {
    m_session.soundFile = std::string(path);
    m_config.write(key::kSoundFile, m_session.soundFile);
}

void SettingChanges::setSoundHint(bool on) {
    m_session.soundHint = on;
    m_config.write(key::kSoundHint, config::flagText(on));
}

void SettingChanges::setPopupHint(bool on) {
    m_session.popupHint = on;
    m_config.write(key::kPopupHint, config::flagText(on));
}

bool SettingChanges::setServerLine(LineChoice line) {
    if (m_session.line == line) {
        return false;
    }
    m_config.write(key::kLine, lineChoiceText(line));
    m_session.line = line;
    m_session.promptText = gbk(text::kLineChanged);
    return true;
}

void SettingChanges::setReconnect(bool on) {
    m_session.reconnect = on;
    m_config.write(key::kReconnect, config::flagText(on));
}

void SettingChanges::setQuietHours(std::string_view from, std::string_view to) {
    m_session.quietFrom = std::string(from);
    m_session.quietTo = std::string(to);
    m_config.write(key::kQuietFrom, from);
    m_config.write(key::kQuietTo, to);
    if (m_quietHoursChanged) {
        m_quietHoursChanged();
    }
}

void SettingChanges::setAutostart(bool on) {
    m_config.write(key::kAutostart, config::flagText(on));
}

}  // namespace lanzhou::core
