#include "client/core/contact_links.h"

#include <gtest/gtest.h>

#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

TEST(ContactLinks, QqAndShopChatLinksCarryTheIdentifierAsItCame) {
    struct Case {
        std::string id;
        std::string qq, shopChat;
    };
    const Case cases[] = {
        {"10001", "tencent://message/?uin=10001", "aliim:sendmsg?touid=cntaobao10001"},
        {"", "tencent://message/?uin=", "aliim:sendmsg?touid=cntaobao"},
        {G("澜舟客服"), "tencent://message/?uin=" + G("澜舟客服"),
         "aliim:sendmsg?touid=cntaobao" + G("澜舟客服")},
        {"a b&c", "tencent://message/?uin=a b&c", "aliim:sendmsg?touid=cntaobaoa b&c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(supportQqLink(c.id), c.qq);
        EXPECT_EQ(supportShopChatLink(c.id), c.shopChat);
    }
}

}  // namespace
}  // namespace lanzhou::core
