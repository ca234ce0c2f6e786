#include "client/core/html_templates.h"

#include <gtest/gtest.h>

#include <string>

#include "client/core/client_session.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(PageTemplates, DifferOnlyInLineHeightAndFontSize) {
    const std::string& small = smallPageTemplate();
    const std::string& large = largePageTemplate();
    EXPECT_NE(small.find("line-height: 18px;"), std::string::npos);
    EXPECT_NE(small.find("font-size: 12px;"), std::string::npos);
    EXPECT_NE(large.find("line-height: 20px;"), std::string::npos);
    EXPECT_NE(large.find("font-size: 15px;"), std::string::npos);
    EXPECT_EQ(replaced(replaced(small, "line-height: 18px;", "line-height: 20px;"),
                       "font-size: 12px;", "font-size: 15px;"),
              large);
}

TEST(PageTemplates, HaveTheDescribedPartsInOrderWithCrLfLines) {
    for (const std::string* page : {&smallPageTemplate(), &largePageTemplate()}) {
        const std::string& text = *page;
        // Every line ends CR LF.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
            }
        }
        const std::string parts[] = {
            "<html>",
            "<head>",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />",
            G("<title>样式</title>"),
            "<style type=\"text/css\">",
            "<!--",
            "a:link",
            "color: #0000FF;",
            "a:visited",
            "a:hover",
            "a:active",
            "body {",
            "background-color: #FFFFFF;",
            "border: 1px solid #006699;",
            "overflow: auto;",
            "margin-left: 3px;",
            "margin-top: 3px;",
            "margin-right: 3px;",
            "margin-bottom: 3px;",
            "body,td,th",
            "color: #000000;",
            "letter-spacing: 1px;",
            "line-height:",
            "font-size:",
            G("font-family: 宋体;"),
            "-->",
            "</style>",
            G("<!--禁止鼠标右键代码-->\r\n<noscript><iframe src=*.html></iframe></noscript>"),
            "<script language=\"javascript\">",
            "oncontextmenu",
            "onmousedown",
            "</script>",
            "</head>",
            "<body onselectstart=\"return false\">\r\n</body>",
            "</html>",
        };
        std::size_t at = 0;
        for (const std::string& part : parts) {
            const std::size_t found = text.find(part, at);
            ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part;
            at = found + part.size();
        }
        EXPECT_EQ(text.find("<html>"), 0u);
    }
}

TEST(ComposePage, PutsTheFragmentAsTheBodysContent) {
    const std::string fragment = G("发布时间：x<BR>");
    const std::string page = composePage(largePageTemplate(), fragment);
    const std::string body = "<body onselectstart=\"return false\">";
    EXPECT_NE(page.find(body + fragment + "\r\n</body>"), std::string::npos);
    EXPECT_EQ(page.size(), largePageTemplate().size() + fragment.size());
    EXPECT_EQ(composePage(smallPageTemplate(), ""), smallPageTemplate());
}

TEST(NoPermissionFragment, IsTheFixedTable) {
    const std::string expected =
        G("<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" "
          "height=\"100%\">\r\n"
          "  <tr>\r\n"
          "    <td height=\"100%\" align=\"center\"><span class=\"style1\"><FONT color=#ff0000 "
          "face=宋体><STRONG>您无权访问当前页面，为了享受更多的服务，请尽快充值！</STRONG></FONT></"
          "span></td>\r\n"
          "  </tr>\r\n"
          "</table>");
    EXPECT_EQ(noPermissionFragment(), expected);
}

PopupRecord alertRecord() {
    PopupRecord record;
    record.kind = PopupKind::alert();
    record.texts = {"", "2013-11-24 09:05:03", "600000", G("浦发银行"), G("买入"), "10.5", "11.2"};
    return record;
}

TEST(AlertTextBlock, IsSixLinesEachEndingInABreak) {
    EXPECT_EQ(alertTextBlock(alertRecord()),
              G("发布时间：2013-11-24 09:05:03<BR>股票代码：600000<BR>股票名称：浦发银行<BR>"
                "操作方式：买入<BR>买入价格：10.5<BR>卖出价格：11.2<BR>"));
}

TEST(PopupFragment, FollowsTheKind) {
    ClientSession session;
    session.popupNoticeHtml = G("<span>通知</span>");
    session.popupRecord = alertRecord();
    EXPECT_EQ(popupFragment(session), alertTextBlock(alertRecord()));

    for (const char* kind : {"0", "3", "5"}) {
        session.popupRecord.kind = PopupKind::ofNoticeChannel(kind).value();
        EXPECT_EQ(popupFragment(session), session.popupNoticeHtml) << kind;
        EXPECT_EQ(session.popupRecord.kind.text(), kind);
    }
    session.popupRecord.kind = PopupKind();
    EXPECT_EQ(popupFragment(session), "");
    for (const char* kind : {"6", "", "05", "1 ", "11", "10"}) {
        EXPECT_FALSE(PopupKind::ofNoticeChannel(kind)) << '"' << kind << '"';
    }
}

}  // namespace
}  // namespace lanzhou::core
