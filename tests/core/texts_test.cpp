#include "client/core/texts.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace lanzhou::core {
namespace {

TEST(Texts, ConvertToGbkOncePerText) {
    const std::string& first = gbk(text::kTelecomLine);
    EXPECT_EQ(first, "\xB5\xE7\xD0\xC5\xCF\xDF\xC2\xB7");
    EXPECT_EQ(&gbk(text::kTelecomLine), &first);
    EXPECT_EQ(gbk("ascii"), "ascii");
    EXPECT_EQ(gbk(""), "");
}

TEST(Texts, SafeFromManyThreads) {
    // Every thread asks for the same texts; all must see the same stored copy.
    const std::string_view texts[] = {text::kConnectFailed, text::kLoginFailed,
                                      text::kPasswordChanged, text::kConfirmClose};
    std::vector<std::thread> threads;
    std::vector<const std::string*> seen(8 * std::size(texts));
    for (std::size_t t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t i = 0; i < std::size(texts); ++i) {
                seen[t * std::size(texts) + i] = &gbk(texts[i]);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], seen[i % std::size(texts)]);
        EXPECT_FALSE(seen[i]->empty());
    }
}

}  // namespace
}  // namespace lanzhou::core
