#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/session_view.h"

namespace lanzhou::core {

class ConfigFile;

// The skin chosen in the configuration: a colour when bx is "0", else a
// picture.
struct SkinChoice {
    bool byColour = false;
    std::int32_t colour = 0;
    std::string picturePath;  // GBK path text, run directory put in front of "\..."
};

// What start-up reads from k_config.ini, in the order it reads it.
struct StartupSettings {
    std::string xl;
    std::optional<Credentials> remembered;  // when zx is "1"
    bool soundHint = false;
    bool popupHint = false;
    std::string soundFile;  // GBK path text, resolved
    SkinChoice skin;
};

StartupSettings readStartupSettings(const ConfigFile& config, std::string_view runDirectory);

// A configured path: a value starting with "\" is relative to the run
// directory; anything else is used as it stands.
std::string resolveRunPath(std::string_view runDirectory, std::string_view value);

// The remember box was clicked: ticked stores zx "1" and the credentials as
// the form holds them now; unticked stores zx "0" and empties both.
void storeRememberBox(const ConfigFile& config, bool ticked, const Credentials& form);
// A valid login (or an expired one let in) with the box ticked.
void rememberCredentials(const ConfigFile& config, const Credentials& credentials);
// A registration or password change succeeded: the new credentials, whatever
// the remember box says (zx unchanged).
void storeAdoptedCredentials(const ConfigFile& config, const Credentials& credentials);

}  // namespace lanzhou::core
