#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lanzhou::core {

// One row of an alert list: the eight texts (GBK) the lists show, the time
// already normalised. The texts live in one block, so a row costs one
// allocation however many texts it has.
class AlertRow final {
public:
    // The texts a row is made of, by name.
    struct Texts {
        std::string_view id{};
        std::string_view time{};
        std::string_view code{};
        std::string_view name{};
        std::string_view operation{};
        std::string_view buy{};
        std::string_view sell{};
        std::string_view remark{};
    };

    AlertRow() = default;
    explicit AlertRow(const Texts& texts);

    std::string_view id() const { return text(kId); }
    std::string_view time() const { return text(kTime); }
    std::string_view code() const { return text(kCode); }
    std::string_view name() const { return text(kName); }
    std::string_view operation() const { return text(kOperation); }
    std::string_view buy() const { return text(kBuy); }
    std::string_view sell() const { return text(kSell); }
    std::string_view remark() const { return text(kRemark); }

    friend bool operator==(const AlertRow&, const AlertRow&) = default;

private:
    enum Text { kId, kTime, kCode, kName, kOperation, kBuy, kSell, kRemark, kTextCount };

    std::string_view text(Text which) const {
        const std::uint32_t begin = which == kId ? 0 : m_ends[which - 1];
        return std::string_view(m_block).substr(begin, m_ends[which] - begin);
    }

    std::string m_block;                             // the texts one after the other
    std::array<std::uint32_t, kTextCount> m_ends{};  // where each text ends in m_block
};

}  // namespace lanzhou::core
