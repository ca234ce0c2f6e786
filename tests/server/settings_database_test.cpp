// The settings file names the database of serve and of the operator
// commands (--config FILE instead of --db); --db on the command line wins.
// lanzhou-server runs as a child process.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "temp_database.h"
#include "tests/e2e/server_process.h"

namespace lanzhou::server {
namespace {

namespace fs = std::filesystem;

TEST(SettingsDatabase, ServeAndTheOperatorCommandsUseTheDatabaseItNames) {
    test::TempDatabase folder;
    const std::string settings = (folder.folder() / "server.toml").string();
    std::ofstream(settings) << "listen = \"127.0.0.1:0\"\n[database]\nlocation = \"state.db\"\n";
    const std::string other = (folder.folder() / "other.db").string();

    const test::CommandResult added = test::runServerCommand(
        {"account", "add", "--name", "alice", "--password", "pw", "--config", settings});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_TRUE(fs::exists(folder.folder() / "state.db"));  // beside the settings file
    // The settings' other keys and a value that looks like --config are kept.
    ASSERT_EQ(test::runServerCommand({"account", "add", "--config", settings, "--name", "bob",
                                      "--password", "--config"})
                  .status,
              0);
    const test::CommandResult listed =
        test::runServerCommand({"account", "list", "--config", settings});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("alice"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("bob"), std::string::npos) << listed.out;
    const test::CommandResult overridden =
        test::runServerCommand({"account", "list", "--config", settings, "--db", other});
    EXPECT_EQ(overridden.status, 0) << overridden.err;
    EXPECT_EQ(overridden.out.find("alice"), std::string::npos) << overridden.out;
    EXPECT_TRUE(fs::exists(other));

    test::ServerProcess server({"--config", settings});
    ASSERT_NE(server.port(), 0) << server.errorOutput();
    EXPECT_EQ(server.terminate(), 0);
}

TEST(SettingsDatabase, WithoutADatabaseNothingRuns) {
    test::TempDatabase folder;
    const std::string empty = (folder.folder() / "empty.toml").string();
    std::ofstream(empty) << "listen = \"127.0.0.1:0\"\n";
    const std::string wrong = (folder.folder() / "wrong.toml").string();
    std::ofstream(wrong) << "[database]\nfile = \"x.db\"\n";
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"serve", "--listen", "127.0.0.1:0"}, "serve needs --db DATABASE"},
        {{"serve", "--config", empty}, "serve needs --db DATABASE"},
        {{"account", "list", "--config", empty}, "names no database"},
        {{"account", "list", "--config", wrong}, "database.file: unknown key"},
        {{"kick", "alice", "--config", (folder.folder() / "none.toml").string()},
         "cannot read the file"},
        {{"account", "list", "--config", empty, "--config", empty}, "more than once"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments.back());
        const test::CommandResult result = test::runServerCommand(c.arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    for (const auto& entry : fs::directory_iterator(folder.folder())) {
        EXPECT_NE(entry.path().extension(), ".db") << entry.path();
    }
}

}  // namespace
}  // namespace lanzhou::server
