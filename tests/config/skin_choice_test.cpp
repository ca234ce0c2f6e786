#include "config/skin_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/config_file.h"
#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::config {
namespace {

using test::G;

const std::string kRun = G("C:\\股票\\lanzhou");

TEST(SkinChoice, ReadsBxThenTheOneKeyItNames) {
    struct Case {
        const char* keys;
        std::optional<std::optional<std::int32_t>> colour;  // set for a colour
        std::string picture;
    };
    const Case cases[] = {
        {"bx=0\r\nbcolour=255\r\nbpic=\\ico\\a.png", std::optional<std::int32_t>(255), ""},
        {"bx=0\r\nbcolour=16711680abc", std::optional<std::int32_t>(16711680), ""},
        {"bx=0\r\nbcolour=\r\nbpic=\\ico\\a.png", std::optional<std::int32_t>(), ""},
        {"bx=0", std::optional<std::int32_t>(), ""},
        {"bx=1\r\nbcolour=255\r\nbpic=\\ico\\a.png", std::nullopt, kRun + "\\ico\\a.png"},
        {"bx=2\r\nbpic=E:\\pics\\b.png", std::nullopt, "E:\\pics\\b.png"},
        {"bx=1", std::nullopt, ""},
        {"bx=\r\nbcolour=255", std::nullopt, ""},
        {"", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        test::ScratchDirectory directory;
        const ConfigFile config(directory.path() / "k_config.ini");
        ASSERT_TRUE(
            platform::writeFileAtomically(config.path(), std::string("[config]\r\n") + c.keys));
        const SkinChoice skin = readSkinChoice(config, kRun);
        SCOPED_TRACE(c.keys);
        if (c.colour) {
            const auto* colour = std::get_if<SkinColour>(&skin);
            ASSERT_NE(colour, nullptr);
            EXPECT_EQ(colour->colorRef, *c.colour);
        } else {
            const auto* picture = std::get_if<SkinPicture>(&skin);
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->path, c.picture);
        }
    }
}

TEST(SkinChoice, WithoutAFileIsAPictureWithoutPath) {
    test::ScratchDirectory directory;
    const ConfigFile config(directory.path() / "k_config.ini");
    const SkinChoice skin = readSkinChoice(config, kRun);
    ASSERT_TRUE(std::holds_alternative<SkinPicture>(skin));
    EXPECT_EQ(std::get<SkinPicture>(skin).path, "");
}

}  // namespace
}  // namespace lanzhou::config
