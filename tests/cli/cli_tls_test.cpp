// lanzhou-cli on a TLS line: --ca-file as the command line takes it, and the
// real program against the fake service behind TLS. (Built only with TLS.)

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "client/core/texts.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "platform/file_io.h"
#include "tests/cli/cli_process.h"
#include "tests/support/fake_service.h"
#include "tests/support/test_pki.h"

namespace lanzhou::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Optional;

constexpr std::chrono::milliseconds kWait{10'000};

const TestPki& pki() {
    return TestPki::forProgram();
}

// A fresh run directory inside the authority's folder (removed with it).
std::string freshRunDirectory() {
    static std::atomic<int> counter{0};
    const auto path = pki().folder() / ("run-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
    return path.string();
}

TEST(CliTlsArguments, CaFileMustHoldACertificate) {
    const auto notPem = pki().folder() / "not-pem.txt";
    ASSERT_TRUE(platform::writeFileAtomically(notPem, "just text\n"));
    struct Case {
        std::string file;
        const char* error;  // nullptr: usable
    };
    const Case cases[] = {
        {pki().authority().string(), nullptr},
        {pki().good().certificate.string(), nullptr},  // a chain holds authorities too
        {(pki().folder() / "missing.pem").string(), "No such file"},
        {notPem.string(), "no usable PEM certificate"},
        {pki().good().key.string(), "no usable PEM certificate"},
        {pki().folder().string(), "a folder, not a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto parsed = cli::parseArguments({"--ca-file", c.file});
        ASSERT_EQ(parsed.has_value(), c.error == nullptr) << (parsed ? "" : parsed.error());
        if (parsed) {
            EXPECT_EQ(parsed->authorityFile, c.file);
        } else {
            EXPECT_THAT(parsed.error(), HasSubstr("--ca-file: " + c.file + ": "));
            EXPECT_THAT(parsed.error(), HasSubstr(c.error));
        }
    }
}

TEST(CliTls, TrustedServerCarriesTheSessionAndTheReconnection) {
    FakeService service(demoScript(), FakeServer::TlsFiles{pki().good().certificate.string(),
                                                           pki().good().key.string()});
    ASSERT_NE(service.port(), 0) << service.server().tlsError();
    const std::string runDirectory = freshRunDirectory();
    const config::ConfigFile config(std::filesystem::path(runDirectory) / "k_config.ini");
    ASSERT_TRUE(config.ensure());
    ASSERT_TRUE(config.write(config::key::kReconnect, "1"));
    CliProcess cli({"--server", "tls://localhost:" + std::to_string(service.port()), "--ca-file",
                    pki().authority().string(), "--run-dir", runDirectory});
    ASSERT_TRUE(cli.waitForEvent("connected")) << cli.errorOutput();
    ASSERT_TRUE(cli.waitForEvent("config"));
    ASSERT_TRUE(service.server().waitForReceived(6, kWait));
    cli.sendJson({{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}});
    ASSERT_TRUE(cli.waitForEvent("main"));
    ASSERT_TRUE(cli.waitForEvent("lists_reset"));

    // Dropped, the session comes back inside TLS again and logs in anew.
    service.server().close(-1);
    EXPECT_TRUE(cli.waitForEvent("reconnected")) << cli.errorOutput();
    EXPECT_TRUE(cli.waitForEvent("main", 2));
    EXPECT_TRUE(service.server().waitForConnections(2, kWait));
}

TEST(CliTls, RefusedServerIsAConnectionNotMadeAndHearsNothing) {
    FakeService service(demoScript(),
                        FakeServer::TlsFiles{pki().unknownAuthority().certificate.string(),
                                             pki().unknownAuthority().key.string()});
    ASSERT_NE(service.port(), 0) << service.server().tlsError();
    CliProcess cli({"--server", "tls://127.0.0.1:" + std::to_string(service.port()), "--ca-file",
                    pki().authority().string(), "--run-dir", freshRunDirectory()});
    EXPECT_THAT(cli.waitForExit(), Optional(2));
    const auto events = cli.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]["text"], std::string(core::text::kConnectFailed));
    EXPECT_THAT(cli.errorOutput(), HasSubstr("certificate refused"));
    EXPECT_TRUE(service.server().received().empty());
}

}  // namespace
}  // namespace lanzhou::test
