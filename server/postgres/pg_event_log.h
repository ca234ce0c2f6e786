#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/storage.h"

namespace lanzhou::server {

class PgConnection;

// The events table of a PostgreSQL database: what operator commands changed,
// for the running servers to pass on. Writers take turns (a transaction-long
// lock), so sequence numbers become visible in order: a reader that saw
// sequence N never later finds a smaller one appear.
class PgEventLog final {
public:
    static constexpr std::size_t kBatch = 1000;   // at most this many per read
    static constexpr std::int64_t kKept = 10000;  // older events are pruned
    // The notification channel every recorded event is announced on.
    static constexpr std::string_view kChannel = "lanzhou_events";

    explicit PgEventLog(PgConnection& connection) : m_connection(connection) {}

    // Call inside the transaction of the change it reports. Subjects are GBK.
    [[nodiscard]] bool record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                              std::string_view channel = {});

    std::vector<OperatorEvent> after(std::int64_t sequence);
    std::int64_t last();

private:
    PgConnection& m_connection;
};

}  // namespace lanzhou::server
