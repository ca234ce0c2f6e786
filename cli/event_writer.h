#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace lanzhou::cli {

// Standard output of lanzhou-cli: one JSON object per line, UTF-8, flushed
// after every line so that a reader at the other end of a pipe sees each
// event as it happens. Used on the session thread only.
class EventWriter final {
public:
    explicit EventWriter(std::ostream& out) : m_out(out) {}

    void write(const nlohmann::json& event);

private:
    std::ostream& m_out;
};

// A GBK text of the client as a JSON string (UTF-8). Bytes that are not GBK
// become U+FFFD rather than breaking the output.
std::string utf8(std::string_view gbk);

}  // namespace lanzhou::cli
