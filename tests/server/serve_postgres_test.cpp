// lanzhou-server serve and the operator commands on a PostgreSQL database of
// this program's throwaway cluster: where the password comes from, and the
// refusals with which serve does not start.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "server/storage/storage.h"
#include "temp_database.h"
#include "tests/e2e/server_process.h"
#include "tests/support/postgres_cluster.h"

namespace lanzhou::server {
namespace {

using test::PostgresCluster;

class ServePostgresTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        cluster = test::sharedPostgresCluster(error);
        ASSERT_TRUE(cluster) << error;
        const std::string name = cluster->createDatabase(error);
        ASSERT_FALSE(name.empty()) << error;
        uri = cluster->uri(name);
    }

    // A settings file of its own naming `passwordFile` in [database].
    std::string settingsNaming(const std::filesystem::path& passwordFile) {
        const auto file =
            folder.folder() / ("settings" + std::to_string(++settingsFiles) + ".toml");
        std::ofstream(file) << "[database]\npassword_file = \"" << passwordFile.string() << "\"\n";
        return file.string();
    }

    std::filesystem::path copyOfPassword(const char* name, mode_t mode) const {
        const auto copy = folder.folder() / name;
        std::filesystem::copy_file(cluster->passwordFile(), copy);
        ::chmod(copy.c_str(), mode);
        return copy;
    }

    PostgresCluster* cluster = nullptr;
    std::string uri;
    int settingsFiles = 0;
    test::TempDatabase folder;
};

TEST_F(ServePostgresTest, StartsWithThePasswordFileOfItsSettings) {
    test::ServerProcess server({"--db", uri, "--listen", "127.0.0.1:0", "--config",
                                settingsNaming(cluster->passwordFile())});
    ASSERT_NE(server.port(), 0) << server.errorOutput();
    EXPECT_EQ(server.terminate(), 0);
}

TEST_F(ServePostgresTest, RefusesToStartWithAClearMessage) {
    const std::string secret = "s3cret-in-the-address";
    const std::string withPassword = "postgresql://" + std::string(PostgresCluster::kUser) + ":" +
                                     secret + "@127.0.0.1:" + std::to_string(cluster->port()) +
                                     "/postgres";
    std::string error;
    ASSERT_TRUE(cluster->execute(uri.substr(uri.rfind('/') + 1),
                                 "CREATE TABLE schema_version(version integer NOT NULL);"
                                 "INSERT INTO schema_version VALUES (99)",
                                 error))
        << error;
    struct Case {
        const char* title;
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"nobody listens there",
         {"--db", "postgresql://nobody@127.0.0.1:1/none"},
         "cannot reach the database"},
        {"password in the address", {"--db", withPassword}, "must not hold a password"},
        {"password given as a parameter",
         {"--db", cluster->uri("postgres") + "?password=" + secret},
         "must not hold a password"},
        {"no password anywhere", {"--db", cluster->uri("postgres")}, "password"},
        {"password file others may read",
         {"--db", cluster->uri("postgres"), "--config",
          settingsNaming(copyOfPassword("open-password", 0644))},
         "chmod 600"},
        {"schema of a newer program",
         {"--db", uri, "--config", settingsNaming(cluster->passwordFile())},
         "newer version (schema 99)"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"serve", "--listen", "127.0.0.1:0"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const test::CommandResult result = test::runServerCommand(arguments);
        EXPECT_EQ(result.status, 1) << c.title;
        EXPECT_NE(result.err.find("cannot open the database"), std::string::npos)
            << c.title << ": " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.title << ": " << result.err;
        EXPECT_EQ(result.err.find(secret), std::string::npos) << c.title << ": " << result.err;
        EXPECT_EQ(result.out, "") << c.title;
    }
}

TEST_F(ServePostgresTest, OperatorCommandsFindThePasswordWhereLibpqLooks) {
    // libpq's password file: host:port:database:user:password.
    const auto passFile = folder.folder() / "pgpass";
    {
        std::string password;
        std::getline(std::ifstream(cluster->passwordFile()), password);
        std::ofstream(passFile) << "127.0.0.1:" << cluster->port()
                                << ":*:" << PostgresCluster::kUser << ":" << password << "\n";
    }
    ::chmod(passFile.c_str(), 0600);
    ::setenv("PGPASSFILE", passFile.c_str(), 1);
    const test::CommandResult added = test::runServerCommand(
        {"account", "add", "--db", uri, "--name", "alice", "--password", "pw"});
    const test::CommandResult listed = test::runServerCommand({"account", "list", "--db", uri});
    ::unsetenv("PGPASSFILE");
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("alice"), std::string::npos) << listed.out;
}

TEST_F(ServePostgresTest, TheSettingsNameTheDatabaseAndItsPasswordForEveryCommand) {
    const auto file = folder.folder() / "postgres.toml";
    std::ofstream(file) << "listen = \"127.0.0.1:0\"\n[database]\nlocation = \"" << uri
                        << "\"\npassword_file = \"" << cluster->passwordFile().string() << "\"\n";
    const test::CommandResult added = test::runServerCommand(
        {"account", "add", "--name", "alice", "--password", "pw", "--config", file.string()});
    EXPECT_EQ(added.status, 0) << added.err;
    const test::CommandResult listed =
        test::runServerCommand({"account", "list", "--config", file.string()});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("alice"), std::string::npos) << listed.out;

    test::ServerProcess server({"--config", file.string()});
    ASSERT_NE(server.port(), 0) << server.errorOutput();
    EXPECT_EQ(server.terminate(), 0);
}

}  // namespace
}  // namespace lanzhou::server
