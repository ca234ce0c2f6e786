#include "client/core/prompt_width.h"

#include <gtest/gtest.h>

#include <limits>

namespace lanzhou::core {
namespace {

TEST(PromptWidth, WidensOnlyAboveTheLimit) {
    const PromptLayout prompt{320, 316, 122};
    const PromptLayout confirm{289, 289, 45};
    struct Case {
        std::size_t bytes;
        int letter;
        PromptLayout design;
        PromptLayout expected;
    };
    const Case cases[] = {
        {20, 7, prompt, prompt},           // 140 px
        {60, 7, prompt, {436, 432, 180}},  // 420 px
        {47, 7, prompt, {345, 341, 134}},  // odd window width halves down
        {40, 8, prompt, prompt},           // exactly 320 stays
        {41, 8, prompt, {344, 340, 134}},  {30, 7, confirm, confirm},  // the update offer's fixed
                                                                       // text
        {60, 7, confirm, {436, 432, 180}}, {0, 7, prompt, prompt},    {100, 0, prompt, prompt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fitPromptWidth(c.bytes, c.letter, c.design), c.expected)
            << c.bytes << " bytes x " << c.letter;
    }
}

TEST(PromptWidth, HugeTextsStayWithinInt) {
    const PromptLayout layout =
        fitPromptWidth(std::numeric_limits<std::size_t>::max(), 1000, PromptLayout{});
    EXPECT_GT(layout.windowWidth, 320);
    EXPECT_EQ(layout.labelWidth, layout.windowWidth - 4);
    EXPECT_EQ(layout.buttonLeft, layout.windowWidth / 2 - 38);
}

}  // namespace
}  // namespace lanzhou::core
