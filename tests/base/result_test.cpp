#include "base/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/diagnostics.h"

namespace lanzhou {
namespace {

Result<int> half(int n) {
    if (n % 2 != 0) {
        return fail("odd");
    }
    return n / 2;
}

TEST(Result, CarriesTheValueOrTheReason) {
    Result<int> even = half(8);
    ASSERT_TRUE(even);
    EXPECT_EQ(*even, 4);

    Result<int> odd = half(3);
    ASSERT_FALSE(odd);
    EXPECT_EQ(odd.error(), "odd");
}

TEST(Result, MovesAValueThatCannotBeCopied) {
    Result<std::unique_ptr<int>> made = std::make_unique<int>(7);
    std::unique_ptr<int> taken = std::move(made).value();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 7);
}

TEST(Result, VoidResultTellsOnlySuccessOrReason) {
    Result<void> done;
    EXPECT_TRUE(done);
    Result<void> refused = fail(std::string("no room"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "no room");
}

TEST(Diagnostics, ReachTheInstalledSinkAndVanishWithoutOne) {
    reportDiagnostic("config", "dropped: no sink yet");
    std::string seen;
    setDiagnosticSink([&](std::string_view area, std::string_view message) {
        seen += std::string(area) + ": " + std::string(message) + "\n";
    });
    reportDiagnostic("config", "k_config.ini not written");
    setDiagnosticSink({});
    reportDiagnostic("config", "dropped again");
    EXPECT_EQ(seen, "config: k_config.ini not written\n");
}

}  // namespace
}  // namespace lanzhou
