#include "client/core/status_text.h"

#include "client/core/texts.h"

namespace lanzhou::core {

std::string lineStatusText(LineChoice line) {
    return gbk(line == LineChoice::Telecom ? "您当前选择的通道：电信线路(可在软件设置中设置)"
                                           : "您当前选择的通道：网通线路(可在软件设置中设置)");
}

std::string mainStatusText(std::string_view account, UserType userType, std::string_view expiry) {
    std::string text = gbk("账号：");
    text += account;
    if (userType == kFreeUser) {
        text += gbk("    用户类型：免费用户");
    } else {
        text += gbk("    用户类型：收费用户    到期时间:");
        text += expiry;
    }
    return text;
}

}  // namespace lanzhou::core
