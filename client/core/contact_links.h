#pragma once

#include <string>
#include <string_view>

namespace lanzhou::core {

// The chat links of the support buttons on the login window, for the
// messenger the member has installed. GBK in, GBK out; the identifiers are
// the session configuration's, appended as they came.

// QQ: "tencent://message/?uin=" + number.
std::string supportQqLink(std::string_view qq);
// AliIM: "aliim:sendmsg?touid=cntaobao" + account.
std::string supportShopChatLink(std::string_view id);

}  // namespace lanzhou::core
