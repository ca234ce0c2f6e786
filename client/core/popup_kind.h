#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace lanzhou::core {

// What the popup shows: nothing yet, the alert of the popup record, or the
// notice of one channel (0 to 5).
class PopupKind {
public:
    constexpr PopupKind() = default;

    static constexpr PopupKind alert() { return PopupKind(kAlert); }

    // The kind of a notice's channel text: "0" to "5", nothing else.
    static constexpr std::optional<PopupKind> ofNoticeChannel(std::string_view channel) {
        if (channel.size() == 1 && channel[0] >= '0' && channel[0] <= '5') {
            return PopupKind(channel[0] - '0');
        }
        return std::nullopt;
    }

    constexpr bool isAlert() const { return m_code == kAlert; }

    // The notice's channel, 0 to 5; none for an alert or no popup yet.
    constexpr std::optional<std::size_t> noticeChannel() const {
        if (m_code >= 0 && m_code < kAlert) {
            return static_cast<std::size_t>(m_code);
        }
        return std::nullopt;
    }

    // "10" for an alert, the channel's digit for a notice, empty for none.
    constexpr std::string_view text() const {
        constexpr std::string_view kDigits = "012345";
        if (isAlert()) {
            return "10";
        }
        if (const auto channel = noticeChannel()) {
            return kDigits.substr(*channel, 1);
        }
        return {};
    }

    friend constexpr bool operator==(PopupKind, PopupKind) = default;

private:
    static constexpr int kNone = -1;
    static constexpr int kAlert = 10;

    constexpr explicit PopupKind(int code) : m_code(code) {}

    int m_code = kNone;  // kNone, a channel 0 to 5, or kAlert
};

}  // namespace lanzhou::core
