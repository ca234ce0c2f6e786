#include "server/sqlite/sqlite_statement.h"

#include <sqlite3.h>

namespace lanzhou::server {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::reset() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void SqliteStatement::bind(int index, std::string_view text) {
    // A non-null pointer even for an empty text, so that it binds '' and not NULL.
    sqlite3_bind_text64(m_statement, index, text.empty() ? "" : text.data(), text.size(),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqliteStatement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bindNull(int index) {
    sqlite3_bind_null(m_statement, index);
}

SqliteStatement::Step SqliteStatement::step() {
    switch (sqlite3_step(m_statement)) {
        case SQLITE_ROW:
            return Step::Row;
        case SQLITE_DONE:
            return Step::Done;
        default:
            return Step::Error;
    }
}

bool SqliteStatement::run() {
    for (;;) {
        const Step result = step();
        if (result != Step::Row) {
            return result == Step::Done;
        }
    }
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::string SqliteStatement::text(int column) const {
    const auto* bytes = sqlite3_column_text(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    if (bytes == nullptr || size <= 0) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::int64_t SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

}  // namespace lanzhou::server
