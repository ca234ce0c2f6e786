#include "server/postgres/pg_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lanzhou::server {
namespace {

// Seconds to wait for the server when the URI does not say.
constexpr const char* kConnectTimeout = "10";
// Waits between attempts to connect again, doubling from the first to the last.
constexpr std::chrono::milliseconds kFirstBackOff{100};
constexpr std::chrono::milliseconds kLastBackOff{5000};

// libpq's message without its trailing newline.
std::string trimmed(const char* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// True when the URI itself carries a password.
bool uriHoldsPassword(const std::string& uri, std::string& error) {
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &message);
    if (options == nullptr) {
        error = "not a database address: " + trimmed(message);
        PQfreemem(message);
        return true;  // refused either way
    }
    bool holds = false;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
        if (std::string_view(option->keyword) == "password" && option->val != nullptr &&
            option->val[0] != '\0') {
            holds = true;
        }
    }
    PQconninfoFree(options);
    if (holds) {
        error =
            "the database address must not hold a password; use a password file "
            "([database] password_file in the settings, or libpq's own ~/.pgpass)";
    }
    return holds;
}

}  // namespace

// ------------------------------------------------------------ PgResult

PgResult::~PgResult() {
    PQclear(m_result);
}

PgResult& PgResult::operator=(PgResult&& other) noexcept {
    if (this != &other) {
        PQclear(m_result);
        m_result = other.m_result;
        other.m_result = nullptr;
    }
    return *this;
}

bool PgResult::ok() const {
    const ExecStatusType status = PQresultStatus(m_result);
    return m_result != nullptr && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

int PgResult::rows() const {
    return ok() ? PQntuples(m_result) : 0;
}

std::int64_t PgResult::changed() const {
    if (!ok()) {
        return 0;
    }
    const char* count = PQcmdTuples(m_result);
    return count != nullptr && count[0] != '\0' ? std::strtoll(count, nullptr, 10) : 0;
}

std::string PgResult::text(int row, int column) const {
    if (row >= rows() || column >= PQnfields(m_result)) {
        return {};
    }
    return std::string(PQgetvalue(m_result, row, column),
                       static_cast<std::size_t>(PQgetlength(m_result, row, column)));
}

std::int64_t PgResult::integer(int row, int column) const {
    return std::strtoll(text(row, column).c_str(), nullptr, 10);
}

bool PgResult::isNull(int row, int column) const {
    return row >= rows() || PQgetisnull(m_result, row, column) != 0;
}

std::string_view PgResult::tag() const {
    const char* status = m_result != nullptr ? PQcmdStatus(m_result) : nullptr;
    return status != nullptr ? std::string_view(status) : std::string_view();
}

// -------------------------------------------------------- PgConnection

PgConnection::~PgConnection() {
    PQfinish(m_conn);
}

bool PgConnection::usable() {
    if (PQstatus(m_conn) == CONNECTION_OK) {
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (m_inTransaction || now < m_nextReset) {
        return false;
    }
    PQreset(m_conn);
    m_prepared.clear();  // prepared statements belong to the lost session
    if (PQstatus(m_conn) == CONNECTION_OK) {
        m_backOff = {};
        return true;
    }
    m_backOff = std::clamp(m_backOff * 2, kFirstBackOff, kLastBackOff);
    m_nextReset = std::chrono::steady_clock::now() + m_backOff;
    return false;
}

bool PgConnection::lostOutsideTransaction() {
    return !m_inTransaction && PQstatus(m_conn) == CONNECTION_BAD && usable();
}

PgResult PgConnection::run(std::string_view sql, std::initializer_list<std::string_view> params) {
    PgResult result = runOnce(sql, params);
    // A query that found the connection lost is asked again on a new one;
    // a change is not, since it may have been made before the loss.
    if (!result.ok() && sql.starts_with("SELECT") && lostOutsideTransaction()) {
        result = runOnce(sql, params);
    }
    return result;
}

PgResult PgConnection::runOnce(std::string_view sql,
                               std::initializer_list<std::string_view> params) {
    std::vector<std::string> values;
    values.reserve(params.size());
    for (std::string_view param : params) {
        if (param.find('\0') != std::string_view::npos) {
            return PgResult();
        }
        values.emplace_back(param);
    }
    if (!usable()) {
        return PgResult();
    }
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        const std::string name = "s" + std::to_string(m_prepared.size() + 1);
        const std::string text(sql);
        PgResult prepared(PQprepare(m_conn, name.c_str(), text.c_str(), 0, nullptr));
        if (!prepared.ok()) {
            return prepared;
        }
        found = m_prepared.emplace(sql, name).first;
    }
    std::vector<const char*> pointers;
    pointers.reserve(values.size());
    for (const std::string& value : values) {
        pointers.push_back(value.c_str());
    }
    return PgResult(PQexecPrepared(m_conn, found->second.c_str(), static_cast<int>(values.size()),
                                   pointers.data(), nullptr, nullptr, 0));
}

bool PgConnection::execute(std::string_view sql, std::string& error) {
    if (!usable()) {
        error = lastError();
        return false;
    }
    const std::string text(sql);
    PgResult result(PQexec(m_conn, text.c_str()));
    if (!result.ok()) {
        error = lastError();
        return false;
    }
    return true;
}

bool PgConnection::begin() {
    if (m_inTransaction || (!execute("BEGIN") && !(lostOutsideTransaction() && execute("BEGIN")))) {
        return false;
    }
    m_inTransaction = true;
    return true;
}

bool PgConnection::commit() {
    if (!m_inTransaction) {
        return false;
    }
    m_inTransaction = false;
    PgResult result(PQexec(m_conn, "COMMIT"));
    // A transaction that failed earlier answers COMMIT with ROLLBACK.
    return result.ok() && result.tag() == "COMMIT";
}

void PgConnection::rollback() {
    if (m_inTransaction) {
        m_inTransaction = false;
        PQclear(PQexec(m_conn, "ROLLBACK"));
    }
}

std::string PgConnection::lastError() const {
    return trimmed(PQerrorMessage(m_conn));
}

int PgConnection::socket() const {
    return PQsocket(m_conn);
}

bool PgConnection::consumeInput() {
    return PQconsumeInput(m_conn) == 1 && PQstatus(m_conn) == CONNECTION_OK;
}

std::size_t PgConnection::takeNotifications() {
    std::size_t count = 0;
    while (PGnotify* notification = PQnotifies(m_conn)) {
        PQfreemem(notification);
        ++count;
    }
    return count;
}

Result<std::unique_ptr<PgConnection>> connectPostgres(std::string_view uri,
                                                      const std::optional<std::string>& password) {
    const std::string address(uri);
    std::string refusal;
    if (uriHoldsPassword(address, refusal)) {
        return fail(std::move(refusal));
    }
    // Later entries win over what the URI says; the timeout comes first so
    // that the URI's own connect_timeout wins over it.
    std::vector<const char*> keywords{"connect_timeout", "dbname"};
    std::vector<const char*> values{kConnectTimeout, address.c_str()};
    if (password) {
        keywords.push_back("password");
        values.push_back(password->c_str());
    }
    keywords.push_back("client_encoding");
    values.push_back("UTF8");
    keywords.push_back("application_name");
    values.push_back("lanzhou-server");
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    pg_conn* conn = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
        std::string error = conn != nullptr ? trimmed(PQerrorMessage(conn)) : "out of memory";
        PQfinish(conn);
        return fail(std::move(error));
    }
    // The server's notices (about what a statement did) are not for the
    // operator's terminal.
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    return std::make_unique<PgConnection>(conn);
}

}  // namespace lanzhou::server
