#include "client/core/startup_settings.h"

#include "client/core/stored_text_cipher.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "config/run_paths.h"

namespace lanzhou::core {
namespace {

namespace key = config::key;

void writeCredentials(const config::ConfigFile& config, std::string_view account,
                      std::string_view password) {
    config.write(key::kAccount, encodeStored(account));
    config.write(key::kPassword, encodeStored(password));
}

}  // namespace

StartupSettings readStartupSettings(const config::ConfigFile& config,
                                    std::string_view runDirectory) {
    // Every read goes to the file as it is now, in this order. A file that
    // could not be written reads as all keys empty: telecom line, nothing
    // remembered, both hints off, no sound, skin by picture with no path.
    config.ensure();

    StartupSettings settings;
    settings.xl = config.read(key::kLine);
    if (config.read(key::kRemember) == config::kOn) {
        Credentials remembered;
        remembered.account = decodeStored(config.read(key::kAccount));
        remembered.password = decodeStored(config.read(key::kPassword));
        settings.remembered = std::move(remembered);
    }
    settings.soundHint = config.read(key::kSoundHint) == config::kOn;
    settings.popupHint = config.read(key::kPopupHint) == config::kOn;
    settings.soundFile = config::resolveRunPath(runDirectory, config.read(key::kSoundFile));
    settings.skin = config::readSkinChoice(config, runDirectory);
    settings.reconnect = config.read(key::kReconnect) == config::kOn;
    settings.quietFrom = config.read(key::kQuietFrom);
    settings.quietTo = config.read(key::kQuietTo);
    settings.autostart = config.read(key::kAutostart) == config::kOn;
    return settings;
}

void storeRememberBox(const config::ConfigFile& config, bool ticked, const Credentials& form) {
    config.write(key::kRemember, config::flagText(ticked));
    if (ticked) {
        writeCredentials(config, form.account, form.password);
    } else {
        config.write(key::kAccount, "");
        config.write(key::kPassword, "");
    }
}

void rememberCredentials(const config::ConfigFile& config, const Credentials& credentials) {
    config.write(key::kRemember, config::kOn);
    writeCredentials(config, credentials.account, credentials.password);
}

void storeAdoptedCredentials(const config::ConfigFile& config, const Credentials& credentials) {
    writeCredentials(config, credentials.account, credentials.password);
}

}  // namespace lanzhou::core
