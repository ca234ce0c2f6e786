// The pieces of lanzhou-cli that turn text into intentions: the command line
// and the commands of standard input, and the line reader under them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/command_parser.h"
#include "cli/line_reader.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::cli {
namespace {

using test::G;

TEST(CliArguments, AcceptsBothOptionFormsAndRefusesTheRest) {
    struct Case {
        std::vector<std::string_view> words;
        bool usable;
        std::string host;
        int port;
        std::string runDirectory;
        bool tls = false;
    };
    const std::vector<Case> cases = {
        {{}, true, "", 0, ""},
        {{"--server", "10.0.0.2:8866"}, true, "10.0.0.2", 8866, ""},
        {{"--server=example.org:1", "--run-dir=/tmp"}, true, "example.org", 1, "/tmp"},
        {{"--run-dir", "/a b"}, true, "", 0, "/a b"},
        {{"--server", "tls://10.0.0.2:8866"}, true, "10.0.0.2", 8866, "", true},
        {{"--server=tls://example.org:443"}, true, "example.org", 443, "", true},
        {{"--server", "tls://:443"}, false, "", 0, ""},
        {{"--server", "https://example.org:443"}, false, "", 0, ""},
        {{"--ca-file"}, false, "", 0, ""},
        {{"--ca-file="}, false, "", 0, ""},
        {{"--ca-file", "/no/such/folder/ca.pem"}, false, "", 0, ""},
        {{"--server"}, false, "", 0, ""},
        {{"--server", "hostonly"}, false, "", 0, ""},
        {{"--server", ":80"}, false, "", 0, ""},
        {{"--server", "h:65536"}, false, "", 0, ""},
        {{"--server", "h:1", "--server", "h:2"}, false, "", 0, ""},
        {{"--run-dir="}, false, "", 0, ""},
        {{"-x"}, false, "", 0, ""},
        {{"positional"}, false, "", 0, ""},
    };
    for (const auto& c : cases) {
        const auto parsed = parseArguments(c.words);
        const std::string label = c.words.empty() ? "(none)" : std::string(c.words[0]);
        ASSERT_EQ(parsed.has_value(), c.usable) << label;
        if (!c.usable) {
            EXPECT_FALSE(parsed.error().empty()) << label;
            continue;
        }
        EXPECT_EQ(parsed->server.has_value(), !c.host.empty()) << label;
        if (parsed->server) {
            EXPECT_EQ(parsed->server->host, c.host) << label;
            EXPECT_EQ(parsed->server->port, c.port) << label;
            EXPECT_EQ(parsed->server->tls, c.tls) << label;
        }
        EXPECT_EQ(parsed->runDirectory.value_or(""), c.runDirectory) << label;
    }
    EXPECT_TRUE(parseArguments({"--help"})->help);
}

TEST(CommandParser, ReadsEveryCommandWithItsFieldsInGbk) {
    const auto login = parseCommand(
        R"({"cmd":"login","account":"账号","password":"p w","remember":true,"extra":1})");
    ASSERT_TRUE(login);
    const auto& l = std::get<LoginCommand>(*login);
    EXPECT_EQ(l.fields.account, G("账号"));
    EXPECT_EQ(l.fields.password, "p w");  // nothing trimmed
    EXPECT_EQ(l.remember, true);
    EXPECT_FALSE(
        std::get<LoginCommand>(*parseCommand(R"({"cmd":"login","account":"","password":""})"))
            .remember);

    const auto registration = parseCommand(
        R"({"cmd":"register","account":"a","password":"b","repeat":"c","qq":"☆","phone":"e"})");
    ASSERT_TRUE(registration);
    const auto& r = std::get<RegisterCommand>(*registration).fields;
    EXPECT_EQ(r.repeat, "c");
    EXPECT_EQ(r.qq, G("☆"));
    EXPECT_EQ(r.phone, "e");

    const auto recharge =
        parseCommand(R"({"cmd":"recharge","account":"a","password":"b","card":"  "})");
    ASSERT_TRUE(recharge);
    EXPECT_EQ(std::get<RechargeCommand>(*recharge).fields.card, "  ");

    const auto change = parseCommand(
        R"({"cmd":"change_password","account":"a","password":"b","confirm":"c","qq":"d","phone":"e"})");
    ASSERT_TRUE(change);
    EXPECT_EQ(std::get<ChangePasswordCommand>(*change).fields.confirm, "c");

    const auto retrieve =
        parseCommand(R"({"cmd":"retrieve_password","account":"a","qq":"d","phone":"e"})");
    ASSERT_TRUE(retrieve);
    EXPECT_EQ(std::get<RetrievePasswordCommand>(*retrieve).fields.phone, "e");

    EXPECT_TRUE(std::holds_alternative<ListsCommand>(*parseCommand(R"({"cmd":"lists"})")));
    EXPECT_TRUE(std::holds_alternative<QuitCommand>(*parseCommand(R"({"cmd":"quit"})")));

    struct ExportCase {
        std::string line;
        core::ExportedLists lists;
        std::string filter;  // UTF-8
    };
    const std::vector<ExportCase> exports = {
        {R"({"cmd":"export","list":"today","path":"导出/a.csv","filter":"浦发"})",
         core::ExportedLists::Today, "浦发"},
        {R"({"cmd":"export","list":"history","path":"导出/a.csv"})", core::ExportedLists::History,
         ""},
        {R"({"cmd":"export","list":"both","path":"导出/a.csv","filter":""})",
         core::ExportedLists::Both, ""},
    };
    for (const ExportCase& c : exports) {
        const auto parsed = parseCommand(c.line);
        ASSERT_TRUE(parsed) << c.line;
        const auto& command = std::get<ExportCommand>(*parsed);
        EXPECT_EQ(command.lists, c.lists) << c.line;
        EXPECT_EQ(command.path, "导出/a.csv") << c.line;  // UTF-8 as given
        EXPECT_EQ(command.filter, c.filter) << c.line;
    }
}

TEST(CommandParser, RefusesUnusableLinesWithAReason) {
    struct Case {
        std::string line;
        std::string reason;  // part of the error text
    };
    const std::vector<Case> cases = {
        {"", "JSON"},
        {"{", "JSON"},
        {"[1,2]", "object"},
        {R"({"account":"a"})", "cmd"},
        {R"({"cmd":7})", "cmd"},
        {R"({"cmd":"dance"})", "dance"},
        {R"({"cmd":"login","password":"p"})", "account"},
        {R"({"cmd":"login","account":"a"})", "password"},
        {R"({"cmd":"login","account":1,"password":"p"})", "account"},
        {R"({"cmd":"login","account":"a","password":"p","remember":1})", "remember"},
        {R"({"cmd":"register","account":"a","password":"b","repeat":"c","qq":"d"})", "phone"},
        {R"({"cmd":"recharge","account":"a","password":"b"})", "card"},
        {R"({"cmd":"export","path":"a.csv"})", "list"},
        {R"({"cmd":"export","list":"all","path":"a.csv"})", "list"},
        {R"({"cmd":"export","list":"today"})", "path"},
        {R"({"cmd":"export","list":"today","path":"a.csv","filter":3})", "filter"},
        {"{\"cmd\":\"login\",\"account\":\"\xff\",\"password\":\"p\"}", "JSON"},  // not UTF-8
    };
    for (const auto& c : cases) {
        const auto parsed = parseCommand(c.line);
        EXPECT_FALSE(parsed) << c.line;
        EXPECT_THAT(parsed.error(), ::testing::HasSubstr(c.reason)) << c.line;
    }
}

// Runs a LineReader over the bytes and returns what it delivered.
std::vector<InputLine> readAll(const std::string& bytes, std::size_t maxLine) {
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    std::vector<InputLine> lines;
    std::promise<void> ended;
    auto done = ended.get_future();
    {
        LineReader reader(
            file, maxLine, [&](InputLine line) { lines.push_back(std::move(line)); },
            [&] { ended.set_value(); });
        reader.start();
        EXPECT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    }
    std::fclose(file);
    return lines;
}

TEST(LineReader, SplitsLinesDropsCarriageReturnsAndSkipsOverlongOnes) {
    const std::string longLine(10'000, 'x');
    const auto lines = readAll("one\r\n\n" + longLine + "\nafter\nlast", 8'000);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, "one");
    EXPECT_EQ(lines[1].text, "");
    EXPECT_TRUE(lines[2].overlong);
    EXPECT_TRUE(lines[2].text.empty());
    EXPECT_EQ(lines[3].text, "after");
    EXPECT_FALSE(lines[3].overlong);
    EXPECT_EQ(lines[4].text, "last");  // no "\n" at the end
}

}  // namespace
}  // namespace lanzhou::cli
