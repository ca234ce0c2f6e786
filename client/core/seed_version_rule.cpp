#include "client/core/seed_version_rule.h"

#include "client/core/version_check.h"

namespace lanzhou::core {

bool seedReplacesMembersFile(const std::filesystem::path& relative,
                             const std::filesystem::path& packageFile,
                             const std::filesystem::path& memberFile) {
    if (relative != std::filesystem::path("ver.txt")) {
        return false;
    }
    const auto packageVersion = readVersionFile(packageFile);
    return packageVersion && updateWanted(*packageVersion, readVersionFile(memberFile).value_or(0));
}

}  // namespace lanzhou::core
