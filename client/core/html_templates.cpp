#include "client/core/html_templates.h"

#include <initializer_list>
#include <iterator>

#include "client/core/client_session.h"
#include "client/core/texts.h"

namespace lanzhou::core {
namespace {

constexpr std::string_view kBodyOpening = "<body onselectstart=\"return false\">";

// A template in UTF-8, one entry per line; the lines are joined with CR LF.
std::string pageTemplate(std::string_view lineHeight, std::string_view fontSize) {
    const std::string lineHeightRule = "\tline-height: " + std::string(lineHeight) + ";";
    const std::string fontSizeRule = "\tfont-size: " + std::string(fontSize) + ";";
    const std::initializer_list<std::string_view> lines = {
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />",
        "<title>样式</title>",
        "<style type=\"text/css\">",
        "<!--",
        "a:link {",
        "\tcolor: #0000FF;",
        "}",
        "a:visited {",
        "\tcolor: #0000FF;",
        "}",
        "a:hover {",
        "\tcolor: #0000FF;",
        "}",
        "a:active {",
        "\tcolor: #0000FF;",
        "}",
        "body {",
        "\tbackground-color: #FFFFFF;",
        "\tborder: 1px solid #006699;",
        "\toverflow: auto;",
        "\tmargin-left: 3px;",
        "\tmargin-top: 3px;",
        "\tmargin-right: 3px;",
        "\tmargin-bottom: 3px;",
        "}",
        "body,td,th {",
        "\tcolor: #000000;",
        "\tletter-spacing: 1px;",
        lineHeightRule,
        fontSizeRule,
        "\tfont-family: 宋体;",
        "}",
        "-->",
        "</style>",
        "<!--禁止鼠标右键代码-->",
        "<noscript><iframe src=*.html></iframe></noscript>",
        "<script language=\"javascript\">",
        "if (window.Event)",
        "\tdocument.captureEvents(Event.MOUSEUP);",
        "function nocontextmenu() {",
        "\tevent.cancelBubble = true;",
        "\tevent.returnValue = false;",
        "\treturn false;",
        "}",
        "function norightclick(e) {",
        "\tif (window.Event) {",
        "\t\tif (e.which == 2 || e.which == 3)",
        "\t\t\treturn false;",
        "\t} else if (event.button == 2 || event.button == 3) {",
        "\t\tevent.cancelBubble = true;",
        "\t\tevent.returnValue = false;",
        "\t\treturn false;",
        "\t}",
        "}",
        "document.oncontextmenu = nocontextmenu;",
        "document.onmousedown = norightclick;",
        "</script>",
        "</head>",
        kBodyOpening,
        "</body>",
        "</html>",
    };
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return gbk(text);
}

}  // namespace

const std::string& smallPageTemplate() {
    static const std::string text = pageTemplate("18px", "12px");
    return text;
}

const std::string& largePageTemplate() {
    static const std::string text = pageTemplate("20px", "15px");
    return text;
}

const std::string& noPermissionFragment() {
    return gbk(
        "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" "
        "height=\"100%\">\r\n"
        "  <tr>\r\n"
        "    <td height=\"100%\" align=\"center\"><span class=\"style1\"><FONT color=#ff0000 "
        "face=宋体><STRONG>您无权访问当前页面，为了享受更多的服务，请尽快充值！</STRONG></FONT></"
        "span></td>\r\n"
        "  </tr>\r\n"
        "</table>");
}

std::string composePage(std::string_view pageTemplate, std::string_view fragment) {
    // The fragment becomes the content of the (empty) body: right after the
    // body's opening tag. A template without a body gets it at the end.
    std::size_t at = pageTemplate.size();
    const std::size_t body = pageTemplate.find("<body");
    if (body != std::string_view::npos) {
        const std::size_t close = pageTemplate.find('>', body);
        if (close != std::string_view::npos) {
            at = close + 1;
        }
    }
    std::string page;
    page.reserve(pageTemplate.size() + fragment.size());
    page.append(pageTemplate.substr(0, at));
    page.append(fragment);
    page.append(pageTemplate.substr(at));
    return page;
}

std::string alertTextBlock(const PopupRecord& record) {
    static constexpr std::string_view kLabels[] = {"发布时间：", "股票代码：", "股票名称：",
                                                   "操作方式：", "买入价格：", "卖出价格："};
    std::string block;
    for (std::size_t i = 0; i < std::size(kLabels); ++i) {
        block += gbk(kLabels[i]);
        block += record.texts[i + 1];
        block += "<BR>";
    }
    return block;
}

std::string popupFragment(const ClientSession& session) {
    const PopupKind kind = session.popupRecord.kind;
    if (kind.isAlert()) {
        return alertTextBlock(session.popupRecord);
    }
    if (kind.noticeChannel()) {
        return session.popupNoticeHtml;
    }
    return {};
}

}  // namespace lanzhou::core
