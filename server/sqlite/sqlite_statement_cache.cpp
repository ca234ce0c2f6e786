#include "server/sqlite/sqlite_statement_cache.h"

namespace lanzhou::server {

StatementCache::Lease StatementCache::get(std::string_view sql) {
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        auto statement = std::make_unique<SqliteStatement>(m_db, sql);
        if (!statement->valid()) {
            return Lease(nullptr);
        }
        found = m_statements.emplace(sql, std::move(statement)).first;
    }
    found->second->reset();
    return Lease(found->second.get());
}

bool StatementCache::execute(std::string_view sql) {
    const Lease statement = get(sql);
    return statement && statement->run();
}

}  // namespace lanzhou::server
