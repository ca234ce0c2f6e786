#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/html_templates.h"
#include "client/core/texts.h"
#include "protocol/message_catalogue.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using protocol::ChannelTable;
using protocol::SessionConfig;
using protocol::WebPageTable;

SessionConfig sampleConfig() {
    SessionConfig config;
    config.productTitle = G("澜舟智投");
    config.labelColour = 255;
    config.titleColour = 1;
    config.timeColour = 2;
    config.starColour = 3;
    config.bodyColour = 4;
    config.ruleColour = 5;
    config.fontSize = "12";
    config.indent = 2;
    config.unused16 = 16;
    config.heartbeatSeconds = 30;
    config.popupCloseTicks = 8;
    config.supportQq = "10001";
    config.supportShopChat = "shop";
    return config;
}

// A "#55" whose last field is empty: the text ends in "|", so only 27 pieces
// are read.
std::string twentySevenPieces() {
    SessionConfig config = sampleConfig();
    config.unused28.clear();
    return protocol::answer::sessionConfig(config);
}

using DispatcherHandshake = SessionFixture;

TEST_F(DispatcherHandshake, EachAnswerSendsTheNextRequestInOrder) {
    deliver(protocol::answer::version({28, "http://example.invalid/u.zip"}));
    deliver(protocol::answer::sessionConfig(sampleConfig()));
    deliver(protocol::answer::bulletin("<b>hi</b>"));
    deliver(protocol::answer::serverTime({2013, 11, 24, 9, 5, 3}));
    deliver(protocol::answer::channels(ChannelTable{}));
    deliver(protocol::answer::webPages(WebPageTable{}));

    EXPECT_EQ(sender.sent(), (std::vector<std::string>{"#55", "#56", "#TM", "#57", "#58"}));
}

TEST_F(DispatcherHandshake, MalformedAnswersAreIgnoredButStillAnswered) {
    struct Case {
        std::string message;
        std::vector<std::string> reply;
    };
    const std::vector<Case> cases = {
        {"#54|7", {"#55"}},
        {"#54|7|a|b", {"#55"}},
        {twentySevenPieces(), {"#56"}},
        {"#55", {"#56"}},
        {"#56|only|two|three", {"#TM"}},
        {"#56", {"#TM"}},
        {"#57|a|1|1", {"#58"}},
        {"#58|a|b|1|1", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        deliver(c.message);
        EXPECT_EQ(sender.take(), c.reply);
    }
    // Nothing of them was kept.
    EXPECT_EQ(session.serverVersion, 0);
    EXPECT_TRUE(session.settings.productTitle.empty());
    EXPECT_TRUE(session.loginBulletin.empty());
    EXPECT_EQ(session.channels, ChannelTable{});
    EXPECT_EQ(session.webPages, WebPageTable{});
    EXPECT_TRUE(view.calls().empty());
    EXPECT_EQ(scheduler.timerPeriod(0).count(), 0);
}

TEST_F(DispatcherHandshake, VersionRefreshesTheLocalVersionEvenWhenMalformed) {
    writeRunFile("ver.txt", "27\r\n");
    deliver(protocol::answer::version({31, "U"}));
    EXPECT_EQ(session.localVersion, 27);
    EXPECT_EQ(session.serverVersion, 31);
    EXPECT_EQ(session.updateArgument, "U");

    writeRunFile("ver.txt", "29");
    deliver("#54|40");  // one piece: only the local version is read
    EXPECT_EQ(session.localVersion, 29);
    EXPECT_EQ(session.serverVersion, 31);
    EXPECT_EQ(session.updateArgument, "U");
}

TEST_F(DispatcherHandshake, SessionConfigFillsSettingsAndTheLoginWindow) {
    deliver(protocol::answer::sessionConfig(sampleConfig()));

    const auto& s = session.settings;
    EXPECT_EQ(s.productTitle, G("澜舟智投"));
    EXPECT_EQ(s.labelColour, 255);
    EXPECT_EQ(s.ruleColour, 5);
    EXPECT_EQ(s.fontSizeStyle, "font-size:12;");
    EXPECT_EQ(s.indentText, "&nbsp&nbsp");
    EXPECT_EQ(s.unused16, 16);
    EXPECT_EQ(s.popupCloseTicks, 8);
    EXPECT_EQ(s.heartbeatSeconds, 30);
    EXPECT_EQ(s.supportQq, "10001");

    const auto window = view.lastLoginConfig();
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window->caption, G("澜舟智投"));
    EXPECT_EQ(window->labelColour, 255);
    EXPECT_FALSE(window->hideBulletin);
    EXPECT_EQ(window->height, 429);
    EXPECT_TRUE(window->showSupportQq);
    EXPECT_TRUE(window->showSupportShopChat);

    // The keep-alive runs every 30 s and sends "1".
    EXPECT_EQ(scheduler.timerPeriod(0), std::chrono::seconds(30));
    sender.take();
    ASSERT_TRUE(scheduler.fireTimer(0));
    EXPECT_EQ(sender.sent(), std::vector<std::string>{"1"});
}

TEST_F(DispatcherHandshake, HiddenBulletinMakesTheLoginWindowShort) {
    SessionConfig message = sampleConfig();
    message.loginBulletinHidden = true;
    deliver(protocol::answer::sessionConfig(message));
    ASSERT_TRUE(view.lastLoginConfig().has_value());
    EXPECT_TRUE(view.lastLoginConfig()->hideBulletin);
    EXPECT_EQ(view.lastLoginConfig()->height, 309);
}

TEST_F(DispatcherHandshake, HeartbeatOfZeroStopsTheKeepAlive) {
    deliver(protocol::answer::sessionConfig(sampleConfig()));
    ASSERT_EQ(scheduler.timerPeriod(0), std::chrono::seconds(30));

    SessionConfig message = sampleConfig();
    message.heartbeatSeconds = 0;
    deliver(protocol::answer::sessionConfig(message));
    EXPECT_EQ(scheduler.timerPeriod(0).count(), 0);
    sender.take();
    EXPECT_FALSE(scheduler.fireTimer(0));
    EXPECT_TRUE(sender.sent().empty());
}

TEST_F(DispatcherHandshake, FlagsAndContactButtonsAreNeverTakenBack) {
    SessionConfig first = sampleConfig();
    first.registrationClosed = true;
    first.machineBinding = true;
    first.refuseUnpaid = true;
    deliver(protocol::answer::sessionConfig(first));

    SessionConfig second = sampleConfig();
    second.productTitle = "second";
    second.supportQq.clear();
    second.supportShopChat.clear();
    second.indent = 0;
    deliver(protocol::answer::sessionConfig(second));

    const auto& s = session.settings;
    EXPECT_EQ(s.productTitle, "second");
    EXPECT_TRUE(s.registrationClosed);
    EXPECT_FALSE(s.registrationFlag);
    EXPECT_TRUE(s.machineBinding);
    EXPECT_TRUE(s.refuseUnpaid);
    EXPECT_EQ(s.indentText, "");
    EXPECT_EQ(s.supportQq, "10001");
    EXPECT_EQ(s.supportShopChat, "shop");
    ASSERT_TRUE(view.lastLoginConfig().has_value());
    EXPECT_TRUE(view.lastLoginConfig()->showSupportQq);
    EXPECT_TRUE(view.lastLoginConfig()->showSupportShopChat);
}

TEST(MergeSessionConfig, IndentIsBoundedAndNegativeIsNone) {
    struct Case {
        std::int32_t indent;
        std::size_t repeats;
    };
    for (const Case c : {Case{-5, 0}, Case{0, 0}, Case{1, 1}, Case{core::kMaxIndent, 1000},
                         Case{2'000'000'000, 1000}}) {
        SCOPED_TRACE(c.indent);
        core::SessionSettings settings;
        SessionConfig message;
        message.indent = c.indent;
        core::mergeSessionConfig(settings, message);
        EXPECT_EQ(settings.indentText.size(), c.repeats * 5);
        EXPECT_EQ(settings.indentText.substr(0, 5), c.repeats > 0 ? "&nbsp" : "");
    }
}

TEST_F(DispatcherHandshake, BulletinIsShownAndAnUpdateOfferedWhenNewer) {
    struct Case {
        std::string localFile;
        std::int32_t serverVersion;
        bool offered;
    };
    for (const Case& c : {Case{"27", 27, false}, Case{"27", 28, true}, Case{"27\r\n", 26, false}}) {
        SCOPED_TRACE(std::to_string(c.serverVersion));
        view.clearCalls();
        writeRunFile("ver.txt", c.localFile);
        deliver(protocol::answer::version({c.serverVersion, "U"}));
        deliver(protocol::answer::bulletin("<p>news</p>"));

        EXPECT_EQ(session.loginBulletin, "<p>news</p>");
        const auto calls = view.calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[0], (ViewCall{"showBulletin", core::composePage(core::smallPageTemplate(),
                                                                        "<p>news</p>")}));
        EXPECT_EQ(view.count("offerUpdate"), c.offered ? 1u : 0u);
        if (c.offered) {
            EXPECT_EQ(session.promptText, core::gbk(core::text::kUpdateOffer));
        }
    }
}

TEST_F(DispatcherHandshake, ServerTimeStartsTheClock) {
    deliver("#TM2013-11-24 09:05:03");
    EXPECT_EQ(session.serverTime.now().year, 2013);
    EXPECT_EQ(session.serverTime.now().day, 24);

    deliver("#TM");
    EXPECT_EQ(session.serverTime.now().year, 100);  // the null date, not the zero date
}

TEST_F(DispatcherHandshake, ChannelAndPageFlagsAreOnlyEverSet) {
    ChannelTable channels{};
    channels[2] = {"news", true, true};
    deliver(protocol::answer::channels(channels));
    channels[2] = {"renamed", false, false};
    deliver(protocol::answer::channels(channels));
    EXPECT_EQ(session.channels[2], (protocol::ChannelConfig{"renamed", true, true}));
    EXPECT_EQ(session.channels[0], protocol::ChannelConfig{});

    WebPageTable pages{};
    pages[5] = {"tab", "http://a.invalid/", true, true};
    deliver(protocol::answer::webPages(pages));
    pages[5] = {"tab2", "http://b.invalid/", false, false};
    deliver(protocol::answer::webPages(pages));
    EXPECT_EQ(session.webPages[5],
              (protocol::WebPageConfig{"tab2", "http://b.invalid/", true, true}));
}

TEST_F(DispatcherHandshake, UnknownCodesDoNothing) {
    for (const std::string text : {"", "#", "#5", "#60|x", "#zz", "#az", "1", "#an1|2|3"}) {
        SCOPED_TRACE(text);
        deliver(text);
    }
    EXPECT_TRUE(sender.sent().empty());
    EXPECT_TRUE(view.calls().empty());
    EXPECT_EQ(scheduler.armCalls(), 0u);
}

}  // namespace
}  // namespace lanzhou::test
