// HtmlView and RenderHtml: GBK documents through the engine, and the
// templates' refusal of context menus and selection.

#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/gui/support/page_reading.h"

#include "client/core/html_templates.h"
#include "tests/support/gbk_literal.h"
#include "ui/html/html_view.h"

namespace lanzhou::display {
namespace {

using test::evaluate;
using test::plainText;

using test::G;

constexpr int kLoadWait = test::kPageWait;

bool rendered(QSignalSpy& loads) {
    if (!QTest::qWaitFor([&loads] { return !loads.isEmpty(); }, kLoadWait)) {
        return false;
    }
    return loads.takeFirst().front().toBool();
}

class HtmlViewTest : public ::testing::Test {
protected:
    HtmlViewTest() {
        m_view.resize(296, 133);
        m_view.show();
    }

    HtmlView m_view;
};

TEST_F(HtmlViewTest, ChineseFragmentSurvivesTheGbkDocument) {
    QSignalSpy loads(&m_view, &QWebEngineView::loadFinished);
    RenderHtml(m_view, core::largePageTemplate(),
               G("发布时间：2013-11-24 09:05:03<BR>股票名称：浦发银行<BR>"));
    ASSERT_TRUE(rendered(loads));
    const QString text = plainText(m_view);
    EXPECT_TRUE(text.contains(QStringLiteral("发布时间：2013-11-24 09:05:03")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("股票名称：浦发银行"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("样式"))) << "the title is not content";
    EXPECT_EQ(evaluate(m_view, QStringLiteral("document.characterSet")).toString(),
              QStringLiteral("GBK"));
    // The template's body rule: the large font.
    EXPECT_EQ(
        evaluate(m_view, QStringLiteral("getComputedStyle(document.body).fontSize")).toString(),
        QStringLiteral("15px"));
}

TEST_F(HtmlViewTest, PageRefusesContextMenuAndSelection) {
    EXPECT_EQ(m_view.contextMenuPolicy(), Qt::NoContextMenu);
    QSignalSpy loads(&m_view, &QWebEngineView::loadFinished);
    RenderHtml(m_view, core::largePageTemplate(), core::noPermissionFragment());
    ASSERT_TRUE(rendered(loads));
    EXPECT_TRUE(plainText(m_view).contains(
        QStringLiteral("您无权访问当前页面，为了享受更多的服务，请尽快充值！")));
    EXPECT_EQ(
        evaluate(m_view, QStringLiteral("document.body.getAttribute('onselectstart')")).toString(),
        QStringLiteral("return false"));
    // dispatchEvent answers false when a handler cancelled the event.
    const auto dispatched = [this](const char* event, const char* target) {
        return evaluate(m_view,
                        QStringLiteral("%2.dispatchEvent(new MouseEvent('%1', {bubbles: true, "
                                       "cancelable: true, button: 2}))")
                            .arg(QLatin1String(event), QLatin1String(target)))
            .toBool();
    };
    EXPECT_FALSE(dispatched("contextmenu", "document.body"));
    EXPECT_FALSE(dispatched("selectstart", "document.body"));
    EXPECT_TRUE(dispatched("click", "document.body")) << "other events go through";
}

TEST_F(HtmlViewTest, SmallTemplateAndANewDocumentReplacingTheOld) {
    QSignalSpy loads(&m_view, &QWebEngineView::loadFinished);
    RenderHtml(m_view, core::smallPageTemplate(), G("第一条公告"));
    ASSERT_TRUE(rendered(loads));
    RenderHtml(m_view, core::smallPageTemplate(), G("第二条公告"));
    ASSERT_TRUE(rendered(loads));
    const QString text = plainText(m_view);
    EXPECT_TRUE(text.contains(QStringLiteral("第二条公告")));
    EXPECT_FALSE(text.contains(QStringLiteral("第一条公告")));
    EXPECT_EQ(
        evaluate(m_view, QStringLiteral("getComputedStyle(document.body).fontSize")).toString(),
        QStringLiteral("12px"));
}

TEST_F(HtmlViewTest, ViewsShareOneProfile) {
    HtmlView other;
    EXPECT_EQ(m_view.page()->profile(), other.page()->profile());
}

TEST_F(HtmlViewTest, OversizedDocumentLeavesTheViewWithoutCrashing) {
    QSignalSpy loads(&m_view, &QWebEngineView::loadFinished);
    RenderHtml(m_view, core::largePageTemplate(), std::string(3 * 1024 * 1024, 'x'));
    EXPECT_FALSE(rendered(loads));
    // The view still renders what comes next.
    RenderHtml(m_view, core::largePageTemplate(), G("下一条"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return plainText(m_view).contains(QStringLiteral("下一条")); }, kLoadWait));
}

}  // namespace
}  // namespace lanzhou::display
