#include "client/core/run_directory_choice.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// Only the program's own folder is one an update can replace the program in.
TEST(RunDirectoryChoice, KnowsWhetherItIsTheProgramsOwnFolder) {
    TempRunDirectory elsewhere;
    const auto other = core::chooseRunDirectory(utf8(elsewhere.path()));
    ASSERT_TRUE(other.has_value()) << other.error();
    EXPECT_FALSE(other->programFolder);

    const auto own = core::chooseRunDirectory(utf8(platform::executableDirectory() / "."));
    ASSERT_TRUE(own.has_value()) << own.error();
    EXPECT_TRUE(own->programFolder);
}

}  // namespace
}  // namespace lanzhou::test
