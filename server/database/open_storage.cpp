#include "server/database/open_storage.h"

#include <fstream>
#include <system_error>

#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_schema.h"
#include "server/postgres/pg_storage.h"
#include "server/sqlite/sqlite_storage.h"

namespace lanzhou::server {
namespace {

// The password in the first line of `file`; a message when it cannot be read
// or others could read it too.
Result<std::string> readPasswordFile(const std::filesystem::path& file) {
    const std::string shown = file.string();
    std::error_code code;
    const auto status = std::filesystem::status(file, code);
    if (code || !std::filesystem::is_regular_file(status)) {
        return fail("cannot read the password file " + shown +
                    (code ? ": " + code.message() : std::string(": not a file")));
    }
    using std::filesystem::perms;
    if ((status.permissions() & (perms::group_all | perms::others_all)) != perms::none) {
        return fail("the password file " + shown +
                    " may be read by others; make it private (chmod 600)");
    }
    std::ifstream in(file, std::ios::binary);
    std::string password;
    if (!in || !std::getline(in, password)) {
        return fail("cannot read the password file " + shown);
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

Result<std::unique_ptr<Storage>> openStorage(std::string_view location,
                                             const std::filesystem::path& passwordFile) {
    if (!isPostgresAddress(location)) {
        return openSqliteStorage(std::filesystem::path(std::string(location)));
    }
    std::optional<std::string> password;
    if (!passwordFile.empty()) {
        auto read = readPasswordFile(passwordFile);
        if (!read) {
            return fail(read.error());
        }
        password = std::move(*read);
    }
    auto connected = connectPostgres(location, password);
    if (!connected) {
        return fail("cannot reach the database: " + connected.error());
    }
    std::string error;
    if (!preparePostgresDatabase(**connected, postgresMigrations(), error)) {
        return fail(std::move(error));
    }
    PgEventSignal::Connect connectAgain = [address = std::string(location), password] {
        return connectPostgres(address, password);
    };
    return std::unique_ptr<Storage>(
        std::make_unique<PostgresStorage>(std::move(*connected), std::move(connectAgain)));
}

}  // namespace lanzhou::server
