#include "client/core/alert_row.h"

#include <cstring>
#include <initializer_list>

namespace lanzhou::core {

AlertRow::AlertRow(const Texts& texts) {
    const std::initializer_list<std::string_view> inOrder = {
        texts.id,        texts.time, texts.code, texts.name,
        texts.operation, texts.buy,  texts.sell, texts.remark};
    std::size_t size = 0;
    for (const std::string_view text : inOrder) {
        size += text.size();
    }
    m_block.resize(size);
    std::size_t end = 0;
    std::size_t index = 0;
    for (const std::string_view text : inOrder) {
        if (!text.empty()) {
            std::memcpy(m_block.data() + end, text.data(), text.size());
        }
        end += text.size();
        m_ends[index++] = static_cast<std::uint32_t>(end);
    }
}

}  // namespace lanzhou::core
