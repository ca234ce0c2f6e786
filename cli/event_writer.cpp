#include "cli/event_writer.h"

#include <nlohmann/json.hpp>

#include "platform/gbk.h"

namespace lanzhou::cli {

void EventWriter::write(const nlohmann::json& event) {
    // replace: a string that is not valid UTF-8 must not throw here.
    m_out << event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    m_out.flush();
}

std::string utf8(std::string_view gbk) {
    return platform::utf8FromGbk(gbk);
}

}  // namespace lanzhou::cli
