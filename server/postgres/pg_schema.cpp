#include "server/postgres/pg_schema.h"

#include "server/postgres/pg_connection.h"

namespace lanzhou::server {
namespace {

// Texts are UTF-8; date-times are "YYYY-MM-DD HH:MM:SS" texts, as in the
// SQLite database, so that both keep exactly what the members sent. The
// `serial` columns keep the order in which rows were made.
constexpr SchemaMigration kMigrations[] = {
    {1, R"sql(
CREATE TABLE accounts(
    serial bigint GENERATED ALWAYS AS IDENTITY UNIQUE,
    name text PRIMARY KEY,
    password text NOT NULL,
    qq text NOT NULL DEFAULT '',
    phone text NOT NULL DEFAULT '',
    adapter text NOT NULL DEFAULT '',
    user_type integer NOT NULL DEFAULT 0,
    expiry text NOT NULL,
    created text NOT NULL);
CREATE INDEX accounts_adapter ON accounts(adapter);
CREATE TABLE cards(
    serial bigint GENERATED ALWAYS AS IDENTITY UNIQUE,
    number text PRIMARY KEY,
    days integer NOT NULL,
    valid_until text NOT NULL,
    used integer NOT NULL DEFAULT 0,
    used_by text REFERENCES accounts(name),
    used_at text);
CREATE TABLE alerts(
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    time text NOT NULL,
    code text NOT NULL,
    name text NOT NULL,
    operation text NOT NULL,
    buy text NOT NULL,
    sell text NOT NULL,
    remark text NOT NULL,
    audience integer NOT NULL,
    popup integer NOT NULL);
CREATE INDEX alerts_audience ON alerts(audience, id);
CREATE TABLE notices(
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    time text NOT NULL,
    title text NOT NULL,
    stars integer NOT NULL,
    body text NOT NULL,
    channel integer NOT NULL,
    popup integer NOT NULL);
CREATE TABLE events(
    sequence bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    kind text NOT NULL,
    subjects text NOT NULL,
    channel text NOT NULL DEFAULT '');
)sql"},
};

// Held (for the transaction) by whoever reads or changes the schema version.
constexpr std::string_view kLockSchema = "SELECT pg_advisory_xact_lock(7294001)";

}  // namespace

std::span<const SchemaMigration> postgresMigrations() {
    return kMigrations;
}

bool preparePostgresDatabase(PgConnection& connection, std::span<const SchemaMigration> migrations,
                             std::string& error) {
    const int latest = latestVersion(migrations);
    for (;;) {
        if (!connection.begin()) {
            error = connection.lastError();
            return false;
        }
        std::string failure;
        if (!connection.execute(kLockSchema, failure) ||
            !connection.execute(
                "CREATE TABLE IF NOT EXISTS schema_version(version integer NOT NULL)", failure)) {
            connection.rollback();
            error = "cannot read the database's schema version: " + failure;
            return false;
        }
        const PgResult read =
            connection.run("SELECT COALESCE(MAX(version), 0) FROM schema_version");
        if (!read.ok()) {
            error = "cannot read the database's schema version: " + connection.lastError();
            connection.rollback();
            return false;
        }
        const auto version = read.integer(0, 0);
        if (version > latest) {
            connection.rollback();
            error =
                "the database was made by a newer version (schema " + std::to_string(version) + ")";
            return false;
        }
        if (version == latest) {
            connection.rollback();  // nothing was changed
            return true;
        }
        // One step per transaction: an interrupted upgrade resumes where it
        // stopped.
        const SchemaMigration* next = nullptr;
        for (const SchemaMigration& migration : migrations) {
            if (migration.version > version) {
                next = &migration;
                break;
            }
        }
        const std::string setVersion =
            "DELETE FROM schema_version; INSERT INTO schema_version VALUES (" +
            std::to_string(next->version) + ")";
        if (!connection.execute(next->sql, failure) || !connection.execute(setVersion, failure) ||
            !connection.commit()) {
            connection.rollback();
            error = "cannot bring the database to schema " + std::to_string(next->version) + ": " +
                    (failure.empty() ? connection.lastError() : failure);
            return false;
        }
    }
}

}  // namespace lanzhou::server
