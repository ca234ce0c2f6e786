#include "client/core/notice_fragment.h"

#include <gtest/gtest.h>

#include <string>

#include "client/core/client_session.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

TEST(ColourText, IsRedGreenBlueFromTheLowByteUp) {
    const std::pair<std::int32_t, std::string> cases[] = {
        {255, "#FF0000"},        {3368601, "#996633"},    {0, "#000000"},
        {0xFFFFFF, "#FFFFFF"},   {0x00ABCDEF, "#EFCDAB"}, {-1, "#FFFFFF"},
        {0x7F0000FF, "#FF0000"},
    };
    for (const auto& [colour, text] : cases) {
        EXPECT_EQ(colourText(colour), text) << colour;
    }
}

TEST(StarText, GivesOneToFiveStars) {
    const std::string star = G("★");
    ASSERT_EQ(star, "\xA1\xEF");
    const std::pair<const char*, int> cases[] = {
        {"1", 1}, {"3", 3}, {"5", 5}, {"7", 1}, {"0", 1}, {"", 1}, {"05", 1}, {"3 ", 1}, {"-2", 1},
    };
    for (const auto& [stars, count] : cases) {
        std::string expected;
        for (int i = 0; i < count; ++i) {
            expected += star;
        }
        EXPECT_EQ(starText(stars), expected) << '"' << stars << '"';
    }
}

TEST(NoticeReadable, ByPayingMembersAndOnChannelsOpenToAll) {
    protocol::ChannelConfig closed;
    protocol::ChannelConfig open;
    open.openToFreeUsers = true;
    EXPECT_TRUE(noticeReadable(kPayingUser, closed));
    EXPECT_FALSE(noticeReadable(kFreeUser, closed));
    EXPECT_TRUE(noticeReadable(kFreeUser, open));
    EXPECT_FALSE(noticeReadable(UserType{2}, closed));  // only type 1 pays
}

TEST(WebPageReadable, ByPayingMembersAndWhenOpenToAll) {
    struct Case {
        std::int32_t userType;
        bool openToFreeUsers;
        bool readable;
    };
    const Case cases[] = {
        {1, false, true}, {1, true, true},   {0, false, false},
        {0, true, true},  {2, false, false}, {-1, true, true},
    };
    for (const auto& c : cases) {
        protocol::WebPageConfig page;
        page.openToFreeUsers = c.openToFreeUsers;
        EXPECT_EQ(webPageReadable(UserType{c.userType}, page), c.readable)
            << c.userType << ' ' << c.openToFreeUsers;
    }
}

// The pieces as the fragment table lists them, checked against its byte
// counts, then used to build the expected fragments independently.
class NoticeFragmentTest : public ::testing::Test {
protected:
    const std::string C = G("<span style=\"");
    const std::string D = G("pt;color:");
    const std::string E = G(";font-weight:bold;\">");
    const std::string F = G("　　</span><br/><span style=\"");
    const std::string Gp = G(";font-weight:100;\">");
    const std::string H = G("</span><br/><span style=\"");
    const std::string I = G("</span><br/><br/>");
    const std::string J = G(
        ";font-weight:bold;\">你没有权限访问此栏目，请联系客服开通正式会员。　　</span><br/><span "
        "style=\"");
    const std::string K = G("只有正式用户才能阅读此消息</span><br/><br/>");

    SessionSettings settings = [] {
        SessionSettings s;
        s.titleColour = 255;
        s.timeColour = 3368601;
        s.starColour = 0x00FF00;
        s.bodyColour = 0;
        s.fontSizeStyle = "font-size:12;";
        s.indentText = "&nbsp&nbsp";
        return s;
    }();

    protocol::NoticeRecord notice = [] {
        protocol::NoticeRecord n;
        n.id = "7";
        n.time = "2013-11-24 9:05:03";
        n.title = G("公告标题");
        n.stars = "3";
        n.body = G("正文<b>内容</b>");
        n.channel = "2";
        n.popup = "1";
        return n;
    }();
};

TEST_F(NoticeFragmentTest, PiecesHaveTheTablesByteCounts) {
    EXPECT_EQ(C.size(), 13u);
    EXPECT_EQ(D.size(), 9u);
    EXPECT_EQ(E.size(), 20u);
    EXPECT_EQ(F.size(), 29u);
    EXPECT_EQ(Gp.size(), 19u);
    EXPECT_EQ(H.size(), 25u);
    EXPECT_EQ(I.size(), 17u);
    EXPECT_EQ(J.size(), 95u);
    EXPECT_EQ(K.size(), 43u);
    EXPECT_EQ(F.substr(0, 4), "\xA1\xA1\xA1\xA1");
}

TEST_F(NoticeFragmentTest, ReadableNoticeByteForByte) {
    const std::string expected =
        C + "font-size:12;" + D + "#FF0000" + E + G("公告标题") + F +                      //
        "font-size:12;" + D + "#996633" + Gp + "&nbsp&nbsp" + "2013-11-24 09:05:03" + H +  //
        "font-size:12;" + D + "#00FF00" + Gp + "&nbsp&nbsp" + G("★★★") + H +               //
        "font-size:12;" + D + "#000000" + Gp + "&nbsp&nbsp" + G("正文<b>内容</b>") + I;
    EXPECT_EQ(noticeFragment(notice, settings, true), expected);
    // The style reads exactly so.
    EXPECT_NE(expected.find("font-size:12;pt;color:#FF0000;font-weight:bold;"), std::string::npos);
}

TEST_F(NoticeFragmentTest, MaskedNoticeKeepsTimeAndStars) {
    const std::string expected =
        C + "font-size:12;" + D + "#FF0000" + J +                                          //
        "font-size:12;" + D + "#996633" + Gp + "&nbsp&nbsp" + "2013-11-24 09:05:03" + H +  //
        "font-size:12;" + D + "#00FF00" + Gp + "&nbsp&nbsp" + G("★★★") + H +               //
        "font-size:12;" + D + "#000000" + Gp + "&nbsp&nbsp" + K;
    const std::string fragment = noticeFragment(notice, settings, false);
    EXPECT_EQ(fragment, expected);
    EXPECT_EQ(fragment.find(G("公告标题")), std::string::npos);
    EXPECT_EQ(fragment.find(G("正文")), std::string::npos);
}

TEST_F(NoticeFragmentTest, UnreadableTimeShowsTheNullDate) {
    notice.time = "soon";
    notice.stars = "9";
    const std::string fragment = noticeFragment(notice, settings, true);
    EXPECT_NE(fragment.find("&nbsp&nbsp100-01-01 00:00:00" + H), std::string::npos);
    EXPECT_NE(fragment.find(Gp + "&nbsp&nbsp" + G("★") + H), std::string::npos);
}

}  // namespace
}  // namespace lanzhou::core
