#include "server/sqlite/sqlite_transaction.h"

namespace lanzhou::server {

SqliteTransaction::~SqliteTransaction() {
    if (m_open) {
        m_statements.execute("ROLLBACK");
    }
}

bool SqliteTransaction::begin() {
    m_open = m_statements.execute("BEGIN IMMEDIATE");
    return m_open;
}

bool SqliteTransaction::commit() {
    if (!m_open) {
        return false;
    }
    if (!m_statements.execute("COMMIT")) {
        return false;  // still open: the destructor rolls it back
    }
    m_open = false;
    return true;
}

}  // namespace lanzhou::server
