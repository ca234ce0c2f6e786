#include "client/update/embedded_updater.h"

#include <QByteArray>
#include <QFile>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/file_io.h"

#ifndef LANZHOU_DEFAULT_BINARY_DIR
#define LANZHOU_DEFAULT_BINARY_DIR "."
#endif

namespace lanzhou::test {
namespace {

// The resource is the built updater, byte for byte.
TEST(EmbeddedUpdater, IsTheBuiltUpdater) {
    if (!QFile::exists(update::embeddedUpdaterResource())) {
        EXPECT_TRUE(update::embeddedUpdater().isEmpty());
        GTEST_SKIP() << "built without the updater";
    }
    const char* binaryDir = std::getenv("LANZHOU_TEST_BINARY_DIR");
    if (!binaryDir) {
        binaryDir = LANZHOU_DEFAULT_BINARY_DIR;
    }
    const std::filesystem::path built =
        std::filesystem::path(binaryDir) / "updater" / update::updaterFileName();
    const auto bytes = platform::readFile(built, std::size_t{1} << 30);
    if (!bytes) {
        GTEST_SKIP() << "no updater at " << built;
    }
    const QByteArray embedded = update::embeddedUpdater();
    ASSERT_EQ(static_cast<std::size_t>(embedded.size()), bytes->size());
    EXPECT_TRUE(embedded == QByteArray::fromStdString(*bytes));
}

}  // namespace
}  // namespace lanzhou::test
