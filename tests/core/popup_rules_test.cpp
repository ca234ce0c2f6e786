#include "client/core/popup_rules.h"

#include <gtest/gtest.h>

namespace lanzhou::core {
namespace {

TEST(PopupRules, NeedTheFlagOneAndPopupsOn) {
    struct Case {
        const char* flag;
        bool hint;
        bool disabled;
        bool alert, arrived, edited;
    };
    const Case cases[] = {
        {"1", true, false, true, true, true},
        {"1", false, false, false, false, false},
        {"0", true, false, false, false, false},
        {" 1", true, false, false, false, false},
        {"", true, false, false, false, false},
        // A disabled channel silences new notices only.
        {"1", true, true, true, false, true},
        {"0", true, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << '"' << c.flag << "\" hint " << c.hint << " disabled " << c.disabled);
        EXPECT_EQ(alertPopupWanted(c.flag, c.hint), c.alert);
        EXPECT_EQ(noticeArrivedPopupWanted(c.disabled, c.flag, c.hint), c.arrived);
        EXPECT_EQ(noticeEditedPopupWanted(c.flag, c.hint), c.edited);
    }
}

}  // namespace
}  // namespace lanzhou::core
