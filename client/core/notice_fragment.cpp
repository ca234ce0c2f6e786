#include "client/core/notice_fragment.h"

#include "client/core/client_session.h"
#include "client/core/texts.h"
#include "protocol/date_time.h"

namespace lanzhou::core {
namespace {

// The literal pieces of a popup fragment (UTF-8 here, GBK when used). The
// style attributes are completed by the session's font size, "pt;color:" and
// a colour, so a style reads font-size:12;pt;color:#FF0000;font-weight:bold;
namespace piece {
constexpr std::string_view kC = "<span style=\"";
constexpr std::string_view kD = "pt;color:";
constexpr std::string_view kE = ";font-weight:bold;\">";
constexpr std::string_view kF = "\u3000\u3000</span><br/><span style=\"";
constexpr std::string_view kG = ";font-weight:100;\">";
constexpr std::string_view kH = "</span><br/><span style=\"";
constexpr std::string_view kI = "</span><br/><br/>";
// The masked title, bold, in place of E + title + F.
constexpr std::string_view kJ =
    ";font-weight:bold;\">你没有权限访问此栏目，请联系客服开通正式会员。\u3000\u3000</span><br/>"
    "<span style=\"";
// The masked body, in place of body + I.
constexpr std::string_view kK = "只有正式用户才能阅读此消息</span><br/><br/>";
}  // namespace piece

constexpr std::string_view kStar = "★";

void appendStyle(std::string& out, const SessionSettings& settings, std::int32_t colour) {
    out += settings.fontSizeStyle;
    out += gbk(piece::kD);
    out += colourText(colour);
}

// One indented line: time, stars or body.
void appendIndentedLine(std::string& out, const SessionSettings& settings, std::int32_t colour,
                        std::string_view text) {
    appendStyle(out, settings, colour);
    out += gbk(piece::kG);
    out += settings.indentText;
    out += text;
}

}  // namespace

std::string colourText(std::int32_t colour) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto value = static_cast<std::uint32_t>(colour);
    const std::uint32_t parts[] = {value & 0xFFu, (value >> 8) & 0xFFu, (value >> 16) & 0xFFu};
    std::string text = "#";
    for (const std::uint32_t part : parts) {
        text += kDigits[part >> 4];
        text += kDigits[part & 15u];
    }
    return text;
}

std::string starText(std::string_view stars) {
    int count = 1;
    if (stars.size() == 1 && stars[0] >= '1' && stars[0] <= '5') {
        count = stars[0] - '0';
    }
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += gbk(kStar);
    }
    return text;
}

bool noticeReadable(UserType userType, const protocol::ChannelConfig& channel) {
    return userType == kPayingUser || channel.openToFreeUsers;
}

bool webPageReadable(UserType userType, const protocol::WebPageConfig& page) {
    return userType == kPayingUser || page.openToFreeUsers;
}

std::string noticeFragment(const protocol::NoticeRecord& notice, const SessionSettings& settings,
                           bool readable) {
    const std::string time = protocol::formatDateTime(protocol::parseDateTime(notice.time));
    const std::string stars = starText(notice.stars);

    std::string out = gbk(piece::kC);
    appendStyle(out, settings, settings.titleColour);
    if (readable) {
        out += gbk(piece::kE);
        out += notice.title;
        out += gbk(piece::kF);
    } else {
        out += gbk(piece::kJ);
    }
    appendIndentedLine(out, settings, settings.timeColour, time);
    out += gbk(piece::kH);
    appendIndentedLine(out, settings, settings.starColour, stars);
    out += gbk(piece::kH);
    if (readable) {
        appendIndentedLine(out, settings, settings.bodyColour, notice.body);
        out += gbk(piece::kI);
    } else {
        appendIndentedLine(out, settings, settings.bodyColour, "");
        out += gbk(piece::kK);
    }
    return out;
}

}  // namespace lanzhou::core
