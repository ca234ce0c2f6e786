#include "client/update/updater_handoff.h"

#include <string_view>
#include <system_error>

#include "base/diagnostics.h"
#include "platform/detached_start.h"
#include "platform/file_io.h"
#include "platform/gbk.h"
#include "platform/paths.h"

namespace lanzhou::update {
namespace {

void reportUpdater(std::string_view what, const std::filesystem::path& program) {
    const std::u8string name = program.u8string();
    std::string message(what);
    message.append(name.begin(), name.end());
    reportDiagnostic("update", message);
}

// Writes the updater when the place is free. An empty block (a build without
// the updater) writes nothing: an empty file would stand in the way of a
// real updater ever after.
void placeUpdater(const std::filesystem::path& program, const QByteArray& bytes) {
    std::error_code error;
    if (std::filesystem::exists(program, error) || error || bytes.isEmpty()) {
        return;
    }
    const std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!platform::writeFileAtomically(program, content)) {
        reportUpdater("could not write the updater to ", program);
        return;
    }
    using std::filesystem::perms;
    std::filesystem::permissions(program,
                                 perms::owner_exec | perms::group_exec | perms::others_exec,
                                 std::filesystem::perm_options::add, error);
}

}  // namespace

UpdaterLaunch handOffToUpdater(const HandOff& handOff, const QByteArray& updaterBytes,
                               const std::function<void(const UpdaterLaunch&)>& start) {
    UpdaterLaunch launch;
    launch.workingDirectory = platform::pathFromGbk(handOff.runDirectory);
    launch.program = launch.workingDirectory / updaterFileName();
    launch.arguments = {std::to_string(handOff.serverVersion),
                        platform::utf8FromGbk(handOff.updateArgument),
                        platform::utf8FromGbk(handOff.clientFileName)};

    placeUpdater(launch.program, updaterBytes);
    if (start) {
        start(launch);
    } else {
        if (!platform::startDetached(launch.program, launch.arguments, launch.workingDirectory)) {
            reportUpdater("could not start the updater ", launch.program);
        }
    }
    return launch;
}

}  // namespace lanzhou::update
