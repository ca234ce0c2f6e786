#include "updater/window/configured_skin.h"

#include <QColor>
#include <QImage>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/gui/updater/update_sandbox.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::updater {
namespace {

namespace fs = std::filesystem;
using test::UpdateSandbox;

void writePicture(const fs::path& path, const QColor& colour) {
    fs::create_directories(path.parent_path());
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
}

void writeConfig(const UpdateSandbox& sandbox, const std::string& keys) {
    UpdateSandbox::writeText(sandbox.run() / "k_config.ini", "[config]\r\n" + keys);
}

TEST(ConfiguredSkin, ColourWhenBxIsZero) {
    UpdateSandbox sandbox;
    // 0x00BBGGRR: 255 is red.
    writeConfig(sandbox, "bx=0\r\nbcolour=255\r\nbpic=\\ico\\blue.png\r\n");
    writePicture(sandbox.run() / "ico" / "blue.png", Qt::blue);
    skin::SkinFrame frame;
    applyConfiguredSkin(frame, sandbox.run());
    EXPECT_FALSE(frame.hasPicture());
    EXPECT_EQ(frame.colour(), QColor(255, 0, 0));
}

TEST(ConfiguredSkin, PictureRelativeToTheRunDirectoryOrAsFullPath) {
    UpdateSandbox sandbox;
    writePicture(sandbox.run() / "ico" / "green.png", QColor(0, 128, 0));
    const fs::path elsewhere = sandbox.served() / "pictures" / "blue.png";
    writePicture(elsewhere, QColor(0, 0, 255));

    const struct {
        std::string bpic;
        QColor colour;
    } cases[] = {
        {"\\ico\\green.png", QColor(0, 128, 0)},
        {elsewhere.string(), QColor(0, 0, 255)},
    };
    for (const auto& each : cases) {
        writeConfig(sandbox, "bx=1\r\nbcolour=255\r\nbpic=" + each.bpic + "\r\n");
        skin::SkinFrame frame;
        applyConfiguredSkin(frame, sandbox.run());
        EXPECT_TRUE(frame.hasPicture()) << each.bpic;
        EXPECT_EQ(frame.colour(), each.colour) << each.bpic;
    }
}

TEST(ConfiguredSkin, DefaultLookWithoutFileKeyOrPicture) {
    const skin::SkinFrame untouched;
    const std::string configs[] = {
        "",  // no k_config.ini at all
        "bx=0\r\n",
        "bx=1\r\nbpic=\\ico\\missing.png\r\n",
        "bx=1\r\n",
    };
    for (const std::string& keys : configs) {
        UpdateSandbox sandbox;
        if (!keys.empty()) {
            writeConfig(sandbox, keys);
        }
        skin::SkinFrame frame;
        applyConfiguredSkin(frame, sandbox.run());
        EXPECT_FALSE(frame.hasPicture()) << keys;
        EXPECT_EQ(frame.colour(), untouched.colour()) << keys;
        // Only read: no configuration is made where there was none.
        EXPECT_EQ(fs::exists(sandbox.run() / "k_config.ini"), !keys.empty());
    }
}

}  // namespace
}  // namespace lanzhou::updater
