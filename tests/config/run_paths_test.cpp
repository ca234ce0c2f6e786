#include "config/run_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/gbk_literal.h"

namespace lanzhou::config {
namespace {

using test::G;

const std::string kRun = G("C:\\股票\\lanzhou");

TEST(ResolveRunPath, PutsTheRunDirectoryBeforeABackslash) {
    EXPECT_EQ(resolveRunPath(kRun, "\\music\\a.wav"), kRun + "\\music\\a.wav");
    EXPECT_EQ(resolveRunPath(kRun, "D:\\snd\\x.mid"), "D:\\snd\\x.mid");
    EXPECT_EQ(resolveRunPath(kRun, "music\\a.wav"), "music\\a.wav");
    EXPECT_EQ(resolveRunPath(kRun, ""), "");
}

}  // namespace
}  // namespace lanzhou::config
