#include "client/core/status_text.h"

#include <gtest/gtest.h>

#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

TEST(StatusText, NamesTheLine) {
    EXPECT_EQ(lineStatusText(LineChoice::Telecom),
              G("您当前选择的通道：电信线路(可在软件设置中设置)"));
    EXPECT_EQ(lineStatusText(LineChoice::Netcom),
              G("您当前选择的通道：网通线路(可在软件设置中设置)"));
}

TEST(StatusText, NamesAccountTypeAndExpiryForPayingMembers) {
    EXPECT_EQ(mainStatusText(G("会员01"), kFreeUser, "2030-01-01 00:00:00"),
              G("账号：会员01    用户类型：免费用户"));
    EXPECT_EQ(mainStatusText(G("会员01"), kPayingUser, "2030-01-01 00:00:00"),
              G("账号：会员01    用户类型：收费用户    到期时间:2030-01-01 00:00:00"));
    EXPECT_EQ(mainStatusText("x", UserType{2}, "e"),
              G("账号：x    用户类型：收费用户    到期时间:e"));
}

}  // namespace
}  // namespace lanzhou::core
