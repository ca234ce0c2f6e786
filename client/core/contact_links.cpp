#include "client/core/contact_links.h"

namespace lanzhou::core {
namespace {

std::string joined(std::string_view prefix, std::string_view value) {
    std::string link;
    link.reserve(prefix.size() + value.size());
    link += prefix;
    link += value;
    return link;
}

}  // namespace

std::string supportQqLink(std::string_view qq) {
    return joined("tencent://message/?uin=", qq);
}

std::string supportShopChatLink(std::string_view id) {
    return joined("aliim:sendmsg?touid=cntaobao", id);
}

}  // namespace lanzhou::core
