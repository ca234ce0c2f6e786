#include "server/service/service_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/server/temp_database.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::server {
namespace {

using test::G;

void writeFile(const std::filesystem::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary);
    out << content;
}

TEST(ServiceSettings, TheExampleFileDescribesTheDefaults) {
    const std::filesystem::path example =
        std::filesystem::path(LANZHOU_SOURCE_DIR) / "server" / "lanzhou-server.example.toml";
    const auto loaded = loadServiceSettings(example);
    ASSERT_TRUE(loaded.has_value()) << loaded.error();
    EXPECT_TRUE(*loaded == defaultServiceSettings());

    const auto empty = parseServiceSettings("");
    ASSERT_TRUE(empty.has_value()) << empty.error();
    EXPECT_TRUE(*empty == defaultServiceSettings());
}

TEST(ServiceSettings, DefaultsMakeAWorkingService) {
    const ServiceSettings s = defaultServiceSettings();
    EXPECT_FALSE(s.session.productTitle.empty());
    EXPECT_EQ(s.session.heartbeatSeconds, 30);
    EXPECT_EQ(s.session.popupCloseTicks, 8);
    EXPECT_EQ(s.session.unused28, "0");
    for (const auto& channel : s.channels) {
        EXPECT_FALSE(channel.name.empty());
        EXPECT_FALSE(channel.disabled);
    }
    for (const auto& page : s.webPages) {
        EXPECT_TRUE(page.hidden);
    }
    EXPECT_EQ(s.alertListCount, 500);
    EXPECT_EQ(s.listen, "127.0.0.1:8866");
}

TEST(ServiceSettings, ReadsEveryKeyAndConvertsTextsToGbk) {
    const auto result = parseServiceSettings(R"(
listen = "[::1]:9000"
alert_list_count = 20
one_account_per_computer = true
max_request_bytes = 4096
max_queued_bytes = 1048576

[version]
current = 12
update_source = "http://updates.example.invalid/v12.zip"

[client]
product_title = "测试服务"
label_colour = "#FF0000"
title_colour = "#00ff00"
time_colour = "#0000FF"
star_colour = 3368601
body_colour = "#996633"
rule_colour = 0
font_size = 14
indent = 2
registration_closed = true
registration_flag = true
machine_binding = true
refuse_unpaid = true
login_bulletin_hidden = true
popup_close_ticks = 15
heartbeat_seconds = 10
support_qq = "10001"
support_shop_chat = "客服"

[bulletin]
html = "<p>公告</p>"

[[channel]]
name = "早盘"
open_to_free_users = false
disabled = true

[[channel]]
name = "午盘"

[[web_page]]
name = "快讯"
address = "http://127.0.0.1/news.html"
open_to_free_users = true

[[web_page]]
name = "隐藏页"
address = "http://127.0.0.1/hidden.html"
hidden = true
)");
    ASSERT_TRUE(result.has_value()) << result.error();
    const ServiceSettings& s = *result;
    const ServiceSettings defaults = defaultServiceSettings();

    EXPECT_EQ(s.listen, "[::1]:9000");
    EXPECT_EQ(s.alertListCount, 20);
    EXPECT_TRUE(s.oneAccountPerComputer);
    EXPECT_EQ(s.maxRequestBytes, 4096u);
    EXPECT_EQ(s.maxQueuedBytes, 1048576u);
    EXPECT_EQ(s.version, (protocol::VersionInfo{12, "http://updates.example.invalid/v12.zip"}));

    const protocol::SessionConfig& c = s.session;
    EXPECT_EQ(c.productTitle, G("测试服务"));
    EXPECT_EQ(c.labelColour, 0x0000FF);  // red in the low byte
    EXPECT_EQ(c.titleColour, 0x00FF00);
    EXPECT_EQ(c.timeColour, 0xFF0000);
    EXPECT_EQ(c.starColour, 3368601);
    EXPECT_EQ(c.bodyColour, 3368601);  // #996633: red 153, green 102, blue 51
    EXPECT_EQ(c.ruleColour, 0);
    EXPECT_EQ(c.fontSize, "14");
    EXPECT_EQ(c.indent, 2);
    EXPECT_TRUE(c.registrationClosed && c.registrationFlag && c.machineBinding && c.refuseUnpaid &&
                c.loginBulletinHidden);
    EXPECT_EQ(c.popupCloseTicks, 15);
    EXPECT_EQ(c.heartbeatSeconds, 10);
    EXPECT_EQ(c.supportQq, "10001");
    EXPECT_EQ(c.supportShopChat, G("客服"));
    EXPECT_EQ(c.unused28, "0");

    EXPECT_EQ(s.bulletinHtml, G("<p>公告</p>"));

    EXPECT_EQ(s.channels[0], (protocol::ChannelConfig{G("早盘"), false, true}));
    EXPECT_EQ(s.channels[1], (protocol::ChannelConfig{G("午盘"), false, false}));
    EXPECT_EQ(s.channels[2], defaults.channels[2]);
    EXPECT_EQ(s.channels[5], defaults.channels[5]);

    EXPECT_EQ(s.webPages[0],
              (protocol::WebPageConfig{G("快讯"), "http://127.0.0.1/news.html", true, false}));
    EXPECT_EQ(s.webPages[1],
              (protocol::WebPageConfig{G("隐藏页"), "http://127.0.0.1/hidden.html", false, true}));
    for (std::size_t i = 2; i < s.webPages.size(); ++i) {
        EXPECT_EQ(s.webPages[i], (protocol::WebPageConfig{"", "", false, true}));
    }
}

TEST(ServiceSettings, ReadsTheBulletinFromAFileBesideTheSettings) {
    test::TempDatabase folder;
    writeFile(folder.folder() / "bulletin.html", "<h1>欢迎</h1>\n<p>第二行</p>\n");
    writeFile(folder.folder() / "settings.toml", "[bulletin]\nhtml_file = \"bulletin.html\"\n");
    const auto result = loadServiceSettings(folder.folder() / "settings.toml");
    ASSERT_TRUE(result.has_value()) << result.error();
    EXPECT_EQ(result->bulletinHtml, G("<h1>欢迎</h1>\n<p>第二行</p>\n"));

    writeFile(folder.folder() / "bad.html", "a|b");
    writeFile(folder.folder() / "bad.toml", "[bulletin]\nhtml_file = \"bad.html\"\n");
    const auto bad = loadServiceSettings(folder.folder() / "bad.toml");
    EXPECT_FALSE(bad.has_value());
    EXPECT_NE(bad.error().find("bulletin.html_file"), std::string::npos) << bad.error();

    writeFile(folder.folder() / "missing.toml", "[bulletin]\nhtml_file = \"nowhere.html\"\n");
    const auto missing = loadServiceSettings(folder.folder() / "missing.toml");
    EXPECT_FALSE(missing.has_value());
    EXPECT_NE(missing.error().find("nowhere.html"), std::string::npos) << missing.error();

    const auto noFile = loadServiceSettings(folder.folder() / "absent.toml");
    EXPECT_FALSE(noFile.has_value());
    EXPECT_NE(noFile.error().find("absent.toml"), std::string::npos) << noFile.error();
}

TEST(ServiceSettings, TheDatabasePasswordFileIsNamedBesideTheSettings) {
    test::TempDatabase folder;
    writeFile(folder.folder() / "settings.toml", "[database]\npassword_file = \"db-password\"\n");
    const auto result = loadServiceSettings(folder.folder() / "settings.toml");
    ASSERT_TRUE(result.has_value()) << result.error();
    EXPECT_EQ(result->databasePasswordFile, folder.folder() / "db-password");
    EXPECT_TRUE(defaultServiceSettings().databasePasswordFile.empty());
}

TEST(ServiceSettings, TheDatabaseLocationIsAFileBesideTheSettingsOrAnAddress) {
    test::TempDatabase folder;
    struct Case {
        std::string written;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"lanzhou.db", (folder.folder() / "lanzhou.db").string()},
        {"state/lanzhou.db", (folder.folder() / "state" / "lanzhou.db").string()},
        {"/var/lib/lanzhou/lanzhou.db", "/var/lib/lanzhou/lanzhou.db"},
        {"postgresql://lanzhou@db.example.invalid:5432/lanzhou",
         "postgresql://lanzhou@db.example.invalid:5432/lanzhou"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        writeFile(folder.folder() / "settings.toml",
                  "[database]\nlocation = \"" + c.written + "\"\n");
        const auto result = loadServiceSettings(folder.folder() / "settings.toml");
        ASSERT_TRUE(result.has_value()) << result.error();
        EXPECT_EQ(result->databaseLocation, c.expected);
    }
    EXPECT_TRUE(defaultServiceSettings().databaseLocation.empty());
}

// With a TLS listener, the plain one opens only when `listen` is given, so
// the settings tell a given listen from the default.
TEST(ServiceSettings, TheTlsListenerNamesItsFilesBesideTheSettings) {
    test::TempDatabase folder;
    const std::string tls =
        "[tls]\nlisten = \"0.0.0.0:8867\"\ncertificate = \"tls/chain.pem\"\nkey = \"key.pem\"\n";
    writeFile(folder.folder() / "tls.toml", tls);
    writeFile(folder.folder() / "both.toml", "listen = \"127.0.0.1:8866\"\n" + tls);
    const auto tlsOnly = loadServiceSettings(folder.folder() / "tls.toml");
    ASSERT_TRUE(tlsOnly.has_value()) << tlsOnly.error();
    EXPECT_EQ(tlsOnly->tls, (TlsSettings{"0.0.0.0:8867", folder.folder() / "tls" / "chain.pem",
                                         folder.folder() / "key.pem"}));
    EXPECT_FALSE(tlsOnly->listenGiven);
    const auto both = loadServiceSettings(folder.folder() / "both.toml");
    ASSERT_TRUE(both.has_value()) << both.error();
    EXPECT_TRUE(both->listenGiven);
    EXPECT_EQ(both->tls, tlsOnly->tls);
    EXPECT_FALSE(defaultServiceSettings().tls);
    EXPECT_FALSE(defaultServiceSettings().listenGiven);
}

TEST(ServiceSettings, ErrorsNameTheKeyAndLine) {
    std::string sevenChannels;
    for (int i = 0; i < 7; ++i) {
        sevenChannels += "[[channel]]\nname = \"c\"\n";
    }
    struct Case {
        std::string toml;
        std::string expected;  // in the error text
    };
    const std::vector<Case> cases = {
        {"lisen = \"127.0.0.1:1\"", "settings:1: lisen: unknown key"},
        {"\n[client]\ntitel_colour = \"#000000\"", "settings:3: client.titel_colour: unknown key"},
        {"[client]\nindent = \"4\"", "client.indent: expected an integer"},
        {"[client]\nindent = 101", "client.indent: must be from 0 to 100"},
        {"[client]\nregistration_closed = 1", "client.registration_closed: expected true or false"},
        {"[client]\nproduct_title = \"a|b\"", "client.product_title: must not contain \"|\""},
        {"[client]\nsupport_qq = 10001", "client.support_qq: expected a string"},
        {"[client]\nlabel_colour = \"#12345G\"", "client.label_colour: expected a colour"},
        {"[client]\nlabel_colour = \"123456\"", "client.label_colour: expected a colour"},
        {"[client]\nlabel_colour = 16777216", "client.label_colour: must be from 0 to 16777215"},
        {"[client]\nheartbeat_seconds = 0", "client.heartbeat_seconds: must be from 1"},
        {"[client]\nproduct_title = \"\xF0\x9F\x98\x80\"",
         "client.product_title: holds characters"},
        {"client = 3", "client: expected a table"},
        {"[version]\nupdate_source = \"a b\"", "version.update_source: must not contain blanks"},
        {"[version]\nlatest = 3", "version.latest: unknown key"},
        {"[bulletin]\nhtml = \"x\"\nhtml_file = \"y\"", "bulletin: give either html or html_file"},
        {"[bulletin]\nhtml = \"<a>|</a>\"", "bulletin.html: must not contain \"|\""},
        {"listen = \"localhost\"", "listen: expected \"HOST:PORT\""},
        {"listen = \"localhost:65536\"", "listen: expected \"HOST:PORT\""},
        {"listen = \":80\"", "listen: expected \"HOST:PORT\""},
        {"listen = \"::1\"", "listen: expected \"HOST:PORT\""},
        {"listen = \"[]:80\"", "listen: expected \"HOST:PORT\""},
        {"alert_list_count = -1", "alert_list_count: must be from 0"},
        {"max_request_bytes = 10", "max_request_bytes: must be from 256"},
        {"max_queued_bytes = 1024", "max_queued_bytes: must be from 65536"},
        {"channel = 3", "channel: expected [[channel]] tables"},
        {sevenChannels, "channel: at most 6 entries"},
        {"[[channel]]\nname = \"a\"\n[[channel]]\nname = \"b|c\"",
         "settings:4: channel[1].name: must not contain \"|\""},
        {"[[channel]]\nopen = true", "channel[0].open: unknown key"},
        {"[[web_page]]\naddress = \"http://x/a|b\"", "web_page[0].address: must not contain"},
        {"[[web_page]]\nhidden = \"yes\"", "web_page[0].hidden: expected true or false"},
        {"[database]\npassword_file = \"\"", "database.password_file: expected a file name"},
        {"[database]\npassword = \"secret\"", "database.password: unknown key"},
        {"[database]\nlocation = \"\"", "database.location: expected a file name"},
        {"[database]\nlocation = 5432", "database.location: expected a file name"},
        {"database = \"x.db\"", "database: expected a table"},
        {"[tls]\nlisten = \"0.0.0.0:8867\"\ncertificate = \"chain.pem\"",
         "settings:1: tls: needs listen, certificate and key"},
        {"[tls]\nlisten = \"8867\"", "tls.listen: expected \"HOST:PORT\""},
        {"[tls]\ncert = \"chain.pem\"", "tls.cert: unknown key"},
        {"[tls]\ncertificate = \"\"", "tls.certificate: expected a file name"},
        {"[tls]\nkey = 600", "tls.key: expected a file name"},
        {"tls = \"on\"", "tls: expected a table"},
        {"[client\nindent = 4", "settings:1:"},
        {"indent = 4\nindent = 5", "settings:2:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toml);
        const auto result = parseServiceSettings(c.toml);
        EXPECT_FALSE(result.has_value());
        EXPECT_NE(result.error().find(c.expected), std::string::npos) << result.error();
    }
}

}  // namespace
}  // namespace lanzhou::server
