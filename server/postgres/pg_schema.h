#pragma once

#include <span>
#include <string>

#include "server/storage/schema_migration.h"

namespace lanzhou::server {

class PgConnection;

// The tables of a PostgreSQL database, version by version.
std::span<const SchemaMigration> postgresMigrations();

// Brings the database to the last of `migrations` (creating the tables on
// first use), each step in one transaction with its version, in the table
// schema_version. Servers starting together wait for each other. False with a
// message when the database cannot be used, for example because a newer
// program made it.
[[nodiscard]] bool preparePostgresDatabase(PgConnection& connection,
                                           std::span<const SchemaMigration> migrations,
                                           std::string& error);

}  // namespace lanzhou::server
