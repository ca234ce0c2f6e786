#pragma once

#include "server/postgres/pg_connection.h"

namespace lanzhou::server {

// A transaction of a PostgreSQL connection, rolled back unless committed.
class PgTransaction final {
public:
    explicit PgTransaction(PgConnection& connection) : m_connection(connection) {}
    ~PgTransaction() { m_connection.rollback(); }
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;

    [[nodiscard]] bool begin() { return m_connection.begin(); }
    [[nodiscard]] bool commit() { return m_connection.commit(); }

private:
    PgConnection& m_connection;
};

}  // namespace lanzhou::server
