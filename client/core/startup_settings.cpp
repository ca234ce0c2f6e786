#include "client/core/startup_settings.h"

#include "client/core/config_file.h"
#include "client/core/stored_text_cipher.h"
#include "protocol/lenient_int.h"

namespace lanzhou::core {
namespace {

void writeCredentials(const ConfigFile& config, std::string_view account,
                      std::string_view password) {
    config.write("username", encodeStored(account));
    config.write("userpass", encodeStored(password));
}

}  // namespace

std::string resolveRunPath(std::string_view runDirectory, std::string_view value) {
    if (!value.empty() && value.front() == '\\') {
        std::string path(runDirectory);
        path.append(value);
        return path;
    }
    return std::string(value);
}

StartupSettings readStartupSettings(const ConfigFile& config, std::string_view runDirectory) {
    // Every read goes to the file as it is now, in this order. A file that
    // could not be written reads as all keys empty: telecom line, nothing
    // remembered, both hints off, no sound, skin by picture with no path.
    config.ensure();

    StartupSettings settings;
    settings.xl = config.read("xl");
    if (config.read("zx") == "1") {
        Credentials remembered;
        remembered.account = decodeStored(config.read("username"));
        remembered.password = decodeStored(config.read("userpass"));
        settings.remembered = std::move(remembered);
    }
    settings.soundHint = config.read("hint1") == "1";
    settings.popupHint = config.read("hint2") == "1";
    settings.soundFile = resolveRunPath(runDirectory, config.read("pmusic"));
    if (config.read("bx") == "0") {
        settings.skin.byColour = true;
        settings.skin.colour = protocol::lenientInt(config.read("bcolour"));
    } else {
        settings.skin.byColour = false;
        settings.skin.picturePath = resolveRunPath(runDirectory, config.read("bpic"));
    }
    return settings;
}

void storeRememberBox(const ConfigFile& config, bool ticked, const Credentials& form) {
    if (ticked) {
        config.write("zx", "1");
        writeCredentials(config, form.account, form.password);
    } else {
        config.write("zx", "0");
        config.write("username", "");
        config.write("userpass", "");
    }
}

void rememberCredentials(const ConfigFile& config, const Credentials& credentials) {
    config.write("zx", "1");
    writeCredentials(config, credentials.account, credentials.password);
}

void storeAdoptedCredentials(const ConfigFile& config, const Credentials& credentials) {
    writeCredentials(config, credentials.account, credentials.password);
}

}  // namespace lanzhou::core
