#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/session_view.h"
#include "config/skin_choice.h"

namespace lanzhou::config {
class ConfigFile;
}

namespace lanzhou::core {

// What start-up reads from k_config.ini, in the order it reads it.
struct StartupSettings {
    std::string xl;
    std::optional<Credentials> remembered;  // when zx is "1"
    bool soundHint = false;
    bool popupHint = false;
    std::string soundFile;  // GBK path text, resolved
    config::SkinChoice skin;
    // Read without writing: a missing key is off.
    bool reconnect = false;
    std::string quietFrom;
    std::string quietTo;
    bool autostart = false;
};

// Writes the default file first when it is missing, then reads the keys in
// the order above.
[[nodiscard]] StartupSettings readStartupSettings(const config::ConfigFile& config,
                                                  std::string_view runDirectory);

// The remember box was clicked: ticked stores zx "1" and the credentials as
// the form holds them now; unticked stores zx "0" and empties both.
void storeRememberBox(const config::ConfigFile& config, bool ticked, const Credentials& form);
// A valid login (or an expired one let in) with the box ticked.
void rememberCredentials(const config::ConfigFile& config, const Credentials& credentials);
// A registration or password change succeeded: the new credentials, whatever
// the remember box says (zx unchanged).
void storeAdoptedCredentials(const config::ConfigFile& config, const Credentials& credentials);

}  // namespace lanzhou::core
