#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace lanzhou::server {

// One prepared SQLite statement, finalized with the object. Parameters are
// numbered from 1 and columns from 0, as in SQLite. Texts are bound as
// copies, so the caller's buffers need not outlive the call.
class SqliteStatement final {
public:
    enum class Step { Row, Done, Error };

    // Prepares `sql` on `db`; valid() tells whether that worked.
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();

    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool valid() const { return m_statement != nullptr; }

    // Ready for another run: resets the statement and clears its bindings.
    void reset();

    void bind(int index, std::string_view text);
    void bind(int index, std::int64_t value);
    void bindNull(int index);

    Step step();
    // Steps through to the end; false on any error.
    [[nodiscard]] bool run();

    bool isNull(int column) const;
    std::string text(int column) const;
    std::int64_t integer(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
};

}  // namespace lanzhou::server
