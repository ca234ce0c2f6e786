#include "client/core/alert_row.h"

#include <gtest/gtest.h>

namespace lanzhou::core {
namespace {

TEST(AlertRow, GivesEachTextBackByName) {
    const AlertRow row({.id = "",
                        .time = "2013-11-24 09:05:03",
                        .code = "600000",
                        .name = "\xC6\xD6\xB7\xA2",
                        .operation = "",
                        .buy = "10.5",
                        .sell = "11.2",
                        .remark = ""});
    EXPECT_EQ(row.id(), "");
    EXPECT_EQ(row.time(), "2013-11-24 09:05:03");
    EXPECT_EQ(row.code(), "600000");
    EXPECT_EQ(row.name(), "\xC6\xD6\xB7\xA2");
    EXPECT_EQ(row.operation(), "");
    EXPECT_EQ(row.buy(), "10.5");
    EXPECT_EQ(row.sell(), "11.2");
    EXPECT_EQ(row.remark(), "");
    EXPECT_EQ(AlertRow().remark(), "");
}

TEST(AlertRow, RowsAreEqualOnlyWithTheSameTexts) {
    const AlertRow row({.id = "a1", .buy = "10", .sell = "11"});
    EXPECT_EQ(row, AlertRow({.id = "a1", .buy = "10", .sell = "11"}));
    // The same bytes cut into other texts.
    EXPECT_NE(row, AlertRow({.id = "a1", .buy = "101", .sell = "1"}));
    EXPECT_NE(row, AlertRow({.id = "a", .time = "1", .buy = "10", .sell = "11"}));
}

}  // namespace
}  // namespace lanzhou::core
