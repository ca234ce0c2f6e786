// WebLinkPage: components and layout, the permission test at the first
// content and on every refresh, the browser buttons, new-window requests,
// against pages served by a small local HTTP server.

#include <QByteArray>
#include <QFrame>
#include <QHash>
#include <QHostAddress>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QVariant>
#include <QWebEngineHistory>
#include <QWebEnginePage>

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "client/display/web_link_page.h"
#include "tests/gui/support/page_reading.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/gbk_literal.h"
#include "ui/html/html_view.h"

namespace lanzhou::display {
namespace {

using test::evaluate;
using test::plainText;

using test::child;
using test::G;

constexpr int kLoadWait = test::kPageWait;

const QString kRefusal = QStringLiteral("您无权访问当前页面，为了享受更多的服务，请尽快充值！");
const QString kMembersTitle = QStringLiteral("会员页面");
const QString kSecondTitle = QStringLiteral("第二页");

// Answers every GET on 127.0.0.1 with one of a few fixed UTF-8 pages (404
// for any other path) and counts the requests per path.
class PageServer final {
public:
    PageServer() {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                serve(socket);
            }
        });
        if (!m_server.listen(QHostAddress::LocalHost)) {
            ADD_FAILURE() << "the page server cannot listen";
        }
    }

    // "127.0.0.1:port" + path: no scheme, as a server might send it.
    std::string bareAddress(const char* path) const {
        return "127.0.0.1:" + std::to_string(m_server.serverPort()) + path;
    }
    std::string address(const char* path) const { return "http://" + bareAddress(path); }

    int requests(const QByteArray& path) const { return m_requests.value(path); }

private:
    static std::optional<QByteArray> page(const QByteArray& path) {
        const auto document = [](const QString& title, const QString& body) {
            return QStringLiteral(
                       "<!DOCTYPE html><html><head><title>%1</title></head>"
                       "<body>%2</body></html>")
                .arg(title, body)
                .toUtf8();
        };
        if (path == "/") {
            return document(kMembersTitle, QStringLiteral("今日策略"));
        }
        if (path == "/second") {
            return document(kSecondTitle, QStringLiteral("第二页内容"));
        }
        if (path == "/opener") {
            return document(QStringLiteral("新窗口链接"),
                            QStringLiteral("<a id=\"blank\" href=\"/second\" "
                                           "target=\"_blank\">在新窗口打开</a>"));
        }
        return std::nullopt;
    }

    void serve(QTcpSocket* socket) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray request = socket->property("request").toByteArray() + socket->readAll();
            socket->setProperty("request", request);
            if (!request.contains("\r\n\r\n")) {
                return;
            }
            const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
            ++m_requests[path];
            const std::optional<QByteArray> body = page(path);
            const QByteArray content = body.value_or(QByteArray("not here"));
            socket->write(QByteArray(body ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                          "Content-Type: text/html; charset=utf-8\r\n"
                          "Cache-Control: no-store\r\n"
                          "Connection: close\r\n"
                          "Content-Length: " +
                          QByteArray::number(content.size()) + "\r\n\r\n" + content);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QHash<QByteArray, int> m_requests;
};

class WebLinkPageTest : public ::testing::Test {
protected:
    WebLinkPage& makePage(int index, bool openToFreeUsers, std::string address) {
        protocol::WebPageConfig config;
        config.name = G("财经资讯");
        config.address = std::move(address);
        config.openToFreeUsers = openToFreeUsers;
        m_page =
            std::make_unique<WebLinkPage>(index, std::move(config), [this] { return m_userType; });
        m_page->show();
        m_loads = std::make_unique<QSignalSpy>(&m_page->browser(), &QWebEngineView::loadFinished);
        return *m_page;
    }

    // The page with this title has loaded completely (a link followed while
    // a page is still loading would replace it in the history).
    bool loaded(const QString& title) {
        const bool done = QTest::qWaitFor(
            [&] { return m_page->browser().title() == title && !m_loads->isEmpty(); }, kLoadWait);
        m_loads->clear();
        return done;
    }

    // The member goes on to the second page. (The browser's own navigation:
    // a link clicked by a script, without a member's gesture, would make the
    // engine skip the first page when going back.)
    void followLink() {
        m_page->browser().load(QUrl(QString::fromStdString(m_server.address("/second"))));
    }

    bool refused() {
        const bool done = QTest::qWaitFor(
            [&] { return !m_loads->isEmpty() && plainText(m_page->browser()).contains(kRefusal); },
            kLoadWait);
        m_loads->clear();
        return done;
    }

    // The browser was asked to go nowhere: nothing started loading by the
    // time the page answered a script, and the refusal is still there.
    void expectStillRefused(WebLinkPage& page, QSignalSpy& starts) {
        EXPECT_EQ(evaluate(page.browser(), QStringLiteral("1")).toInt(), 1);
        EXPECT_TRUE(starts.isEmpty());
        EXPECT_TRUE(plainText(page.browser()).contains(kRefusal));
    }

    PageServer m_server;
    core::UserType m_userType;
    std::unique_ptr<WebLinkPage> m_page;
    std::unique_ptr<QSignalSpy> m_loads;
};

TEST_F(WebLinkPageTest, ComponentsAndDesignLayout) {
    WebLinkPage& page = makePage(3, false, m_server.address("/"));
    EXPECT_EQ(page.objectName(), QStringLiteral("WebLinkPage"));
    EXPECT_EQ(page.property("pageIndex").toInt(), 3);
    EXPECT_EQ(page.index(), 3);
    EXPECT_EQ(page.title(), QStringLiteral("财经资讯"));
    EXPECT_EQ(page.size(), QSize(948, 502));

    auto* browser = child<HtmlView>(&page, QStringLiteral("页面_浏览器"));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser, &page.browser());
    EXPECT_EQ(browser->geometry(), QRect(0, 0, 948, 470));
    auto* bar = child<QFrame>(&page, QStringLiteral("按钮栏"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(0, 470, 948, 32));

    const struct {
        const char* name;
        const char* caption;
        QRect place;  // inside the bar
    } buttons[] = {
        {"后退_按钮", "后退", QRect(13, 5, 56, 22)},
        {"前进_按钮", "前进", QRect(209, 5, 56, 22)},
        {"刷新_按钮", "刷新", QRect(406, 5, 56, 22)},
    };
    for (const auto& expected : buttons) {
        auto* button = child<QPushButton>(bar, QString::fromUtf8(expected.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->parentWidget(), bar) << expected.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(button->geometry(), expected.place) << expected.name;
    }
}

TEST_F(WebLinkPageTest, IconFilesFollowThePageIndex) {
    const char* expected[] = {"ico/8.ico",  "ico/9.ico",  "ico/10.ico",
                              "ico/11.ico", "ico/12.ico", "ico/13.ico"};
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(WebLinkPage::iconFile(index), QString::fromLatin1(expected[index])) << index;
    }
}

TEST_F(WebLinkPageTest, FreeUserOnMembersPageSeesTheRefusalAndCannotMoveAway) {
    WebLinkPage& page = makePage(0, false, m_server.address("/"));
    EXPECT_FALSE(page.permitted());
    page.showFirstContent();
    ASSERT_TRUE(refused());
    EXPECT_EQ(m_server.requests("/"), 0) << "the members' page is never fetched";

    QSignalSpy loads(&page.browser(), &QWebEngineView::loadFinished);
    QTest::mouseClick(child<QPushButton>(&page, QStringLiteral("刷新_按钮")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&loads] { return !loads.isEmpty(); }, kLoadWait));
    EXPECT_TRUE(plainText(page.browser()).contains(kRefusal));

    QSignalSpy starts(&page.browser(), &QWebEngineView::loadStarted);
    QTest::mouseClick(child<QPushButton>(&page, QStringLiteral("后退_按钮")), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&page, QStringLiteral("前进_按钮")), Qt::LeftButton);
    expectStillRefused(page, starts);
    EXPECT_EQ(m_server.requests("/"), 0);
}

TEST_F(WebLinkPageTest, PayingMemberLoadsTheMembersPage) {
    m_userType = core::kPayingUser;
    WebLinkPage& page = makePage(0, false, m_server.address("/"));
    EXPECT_TRUE(page.permitted());
    page.showFirstContent();
    ASSERT_TRUE(loaded(kMembersTitle));
    EXPECT_TRUE(plainText(page.browser()).contains(QStringLiteral("今日策略")));
    EXPECT_EQ(m_server.requests("/"), 1);
}

TEST_F(WebLinkPageTest, OpenPageLoadsForAFreeUserFromAnAddressWithoutScheme) {
    WebLinkPage& page = makePage(5, true, m_server.bareAddress("/"));
    EXPECT_TRUE(page.permitted());
    page.showFirstContent();
    ASSERT_TRUE(loaded(kMembersTitle));
    EXPECT_EQ(page.browser().url().scheme(), QStringLiteral("http"));
}

TEST_F(WebLinkPageTest, ButtonsMoveThroughHistoryAndReload) {
    m_userType = core::kPayingUser;
    WebLinkPage& page = makePage(1, false, m_server.address("/"));
    page.showFirstContent();
    ASSERT_TRUE(loaded(kMembersTitle));
    followLink();
    ASSERT_TRUE(loaded(kSecondTitle));

    QTest::mouseClick(child<QPushButton>(&page, QStringLiteral("后退_按钮")), Qt::LeftButton);
    ASSERT_TRUE(loaded(kMembersTitle));
    QTest::mouseClick(child<QPushButton>(&page, QStringLiteral("前进_按钮")), Qt::LeftButton);
    ASSERT_TRUE(loaded(kSecondTitle));

    const int addressRequests = m_server.requests("/");
    const int before = m_server.requests("/second");
    QTest::mouseClick(child<QPushButton>(&page, QStringLiteral("刷新_按钮")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requests("/second") > before; }, kLoadWait))
        << "refresh reloads the current page, not the address";
    EXPECT_TRUE(loaded(kSecondTitle));
    EXPECT_EQ(m_server.requests("/"), addressRequests);
}

TEST_F(WebLinkPageTest, RefreshLoadsTheAddressOnceTheMemberPays) {
    WebLinkPage& page = makePage(2, false, m_server.address("/"));
    page.showFirstContent();
    ASSERT_TRUE(refused());

    m_userType = core::kPayingUser;
    EXPECT_TRUE(page.permitted());
    page.refresh();
    ASSERT_TRUE(loaded(kMembersTitle));
    EXPECT_EQ(m_server.requests("/"), 1);
    EXPECT_FALSE(page.browser().history()->canGoBack()) << "the refusal is forgotten";
}

TEST_F(WebLinkPageTest, RefreshRefusesOnceTheMembershipEndsAndBackStaysOnTheRefusal) {
    m_userType = core::kPayingUser;
    WebLinkPage& page = makePage(2, false, m_server.address("/"));
    page.showFirstContent();
    ASSERT_TRUE(loaded(kMembersTitle));
    followLink();
    ASSERT_TRUE(loaded(kSecondTitle));

    m_userType = core::kFreeUser;
    page.refresh();
    ASSERT_TRUE(refused());
    const int secondPageRequests = m_server.requests("/second");

    // The browser still remembers the members' pages; the buttons must not
    // lead back to them.
    QSignalSpy starts(&page.browser(), &QWebEngineView::loadStarted);
    page.back();
    page.forward();
    page.back();
    expectStillRefused(page, starts);
    EXPECT_EQ(m_server.requests("/second"), secondPageRequests);
    EXPECT_EQ(m_server.requests("/"), 1);
}

TEST_F(WebLinkPageTest, NewWindowRequestsOpenInTheSameBrowser) {
    WebLinkPage& page = makePage(4, true, m_server.address("/opener"));
    page.showFirstContent();
    ASSERT_TRUE(loaded(QStringLiteral("新窗口链接")));

    evaluate(page.browser(), QStringLiteral("document.getElementById('blank').click(); 0"));
    ASSERT_TRUE(loaded(kSecondTitle)) << "a target=_blank link";

    page.back();
    ASSERT_TRUE(loaded(QStringLiteral("新窗口链接")));
    evaluate(page.browser(), QStringLiteral("window.open('/second'); 0"));
    ASSERT_TRUE(loaded(kSecondTitle)) << "window.open()";
    EXPECT_EQ(m_server.requests("/second"), 2);
}

TEST_F(WebLinkPageTest, FitsTheMainWindowSize) {
    WebLinkPage& page = makePage(0, true, m_server.address("/"));
    const struct {
        QSize window;
        int width;
        int height;  // browser height and bar top
    } cases[] = {
        {QSize(1200, 800), 1197, 658}, {QSize(1200, 600), 1197, 470}, {QSize(900, 800), 948, 658},
        {QSize(951, 612), 948, 470},   {QSize(952, 613), 949, 471},   {QSize(800, 500), 948, 470},
    };
    auto* bar = child<QFrame>(&page, QStringLiteral("按钮栏"));
    ASSERT_NE(bar, nullptr);
    for (const auto& fit : cases) {
        page.fitToWindowSize(fit.window);
        EXPECT_EQ(page.browser().geometry(), QRect(0, 0, fit.width, fit.height))
            << fit.window.width() << "x" << fit.window.height();
        EXPECT_EQ(bar->geometry(), QRect(0, fit.height, fit.width, 32))
            << fit.window.width() << "x" << fit.window.height();
    }
    EXPECT_EQ(child<QPushButton>(bar, QStringLiteral("刷新_按钮"))->geometry(),
              QRect(406, 5, 56, 22));
}

}  // namespace
}  // namespace lanzhou::display
