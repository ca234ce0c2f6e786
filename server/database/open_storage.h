#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "base/result.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

// True for a PostgreSQL connection URI ("postgresql://..." or "postgres://...").
bool isPostgresAddress(std::string_view location);

// The database of --db: a PostgreSQL connection URI, or else an SQLite file.
// Either is created or brought to this program's schema when needed. The
// URI must not hold a password: it comes from `passwordFile` (its first line;
// the file must not be readable by others) when one is named, else from
// libpq's own password file, service file or environment.
Result<std::unique_ptr<Storage>> openStorage(std::string_view location,
                                             const std::filesystem::path& passwordFile = {});

}  // namespace lanzhou::server
