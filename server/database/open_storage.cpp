#include "server/database/open_storage.h"

#include <fstream>
#include <system_error>

#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_schema.h"
#include "server/postgres/pg_storage.h"
#include "server/sqlite/sqlite_storage.h"

namespace lanzhou::server {
namespace {

// The password in the first line of `file`; nothing, with a message, when it
// cannot be read or others could read it too.
std::optional<std::string> readPasswordFile(const std::filesystem::path& file, std::string& error) {
    const std::string shown = file.string();
    std::error_code code;
    const auto status = std::filesystem::status(file, code);
    if (code || !std::filesystem::is_regular_file(status)) {
        error = "cannot read the password file " + shown +
                (code ? ": " + code.message() : std::string(": not a file"));
        return std::nullopt;
    }
    using std::filesystem::perms;
    if ((status.permissions() & (perms::group_all | perms::others_all)) != perms::none) {
        error =
            "the password file " + shown + " may be read by others; make it private (chmod 600)";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::string password;
    if (!in || !std::getline(in, password)) {
        error = "cannot read the password file " + shown;
        return std::nullopt;
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

}  // namespace

bool isPostgresAddress(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

OpenResult openStorage(std::string_view location, const std::filesystem::path& passwordFile) {
    if (!isPostgresAddress(location)) {
        return openSqliteStorage(std::filesystem::path(std::string(location)));
    }
    OpenResult result;
    std::optional<std::string> password;
    if (!passwordFile.empty()) {
        password = readPasswordFile(passwordFile, result.error);
        if (!password) {
            return result;
        }
    }
    PgConnectResult connected = connectPostgres(location, password);
    if (!connected.connection) {
        result.error = "cannot reach the database: " + connected.error;
        return result;
    }
    std::string error;
    if (!preparePostgresDatabase(*connected.connection, postgresMigrations(), error)) {
        result.error = error;
        return result;
    }
    result.storage = std::make_unique<PostgresStorage>(std::move(connected.connection));
    return result;
}

}  // namespace lanzhou::server
