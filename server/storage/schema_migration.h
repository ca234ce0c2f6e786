#pragma once

#include <span>
#include <string_view>

namespace lanzhou::server {

// One step of a database's schema: the statements that bring a database of
// version `version - 1` to `version`. A database's migrations are listed in
// order from version 1 (the first tables); a database is brought to the last
// one when opened, and one of a later version than the last is refused.
struct SchemaMigration {
    int version;
    std::string_view sql;
};

// The newest version of a list of migrations (0 for none).
inline int latestVersion(std::span<const SchemaMigration> migrations) {
    return migrations.empty() ? 0 : migrations.back().version;
}

}  // namespace lanzhou::server
