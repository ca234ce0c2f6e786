#pragma once

#include <QByteArray>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "client/update/embedded_updater.h"

namespace lanzhou::update {

struct HandOff {
    std::string runDirectory;  // GBK, no trailing separator
    std::int32_t serverVersion = 0;
    std::string updateArgument;  // GBK
    std::string clientFileName;  // GBK, no directory
};

struct UpdaterLaunch {
    std::filesystem::path program;  // run directory / updaterFileName()
    std::vector<std::string>
        arguments;  // UTF-8: version in decimal, update argument, client file name
    std::filesystem::path workingDirectory;  // the run directory
};

// The member accepted the update: writes `updaterBytes` to run directory /
// updaterFileName() when no file is there (an existing one is started as it
// is; the written file is made executable), then starts it with `start`
// (default: platform::startDetached). Empty bytes write nothing. Returns the
// launch it made. The client ends in any case: an updater that could not be
// written or started is only reported as an "update" diagnostic.
UpdaterLaunch handOffToUpdater(const HandOff& handOff, const QByteArray& updaterBytes,
                               const std::function<void(const UpdaterLaunch&)>& start = {});

}  // namespace lanzhou::update
