#include "client/core/alert_row.h"

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
    m_block.reserve(size);
    std::size_t index = 0;
    for (const std::string_view text : inOrder) {
        m_block.append(text);
        m_ends[index++] = static_cast<std::uint32_t>(m_block.size());
    }
}

}  // namespace lanzhou::core
