#include "client/display/web_link_page.h"

#include <QFrame>
#include <QPushButton>
#include <QUrl>
#include <QVariant>
#include <QWebEngineHistory>
#include <QWebEngineHistoryItem>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

#include <utility>

#include "client/core/html_templates.h"
#include "client/core/notice_fragment.h"
#include "ui/html/html_view.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::display {

namespace {

constexpr int kDesignWidth = 948;
constexpr int kBrowserDesignHeight = 470;
constexpr int kBarHeight = 32;
constexpr int kWindowDesignWidth = 951;   // the main window's design size
constexpr int kWindowDesignHeight = 612;  // (outer), below which nothing shrinks
constexpr int kWidthMargin = 3;
constexpr int kHeightMargin = 142;
constexpr int kFirstIconNumber = 8;

// Whether the browser's current history entry is a written document (the
// refusal) rather than a page of the address.
bool showsWrittenDocument(const QWebEngineHistory& history) {
    const QUrl url = history.currentItem().url();
    return url.isEmpty() || url.scheme() == QStringLiteral("data") ||
           url == QUrl(QStringLiteral("about:blank"));
}

}  // namespace

class WebLinkPage::Impl final {
public:
    // What the browser was last told to show.
    enum class Content { Nothing, Address, Refusal };

    Impl(int index, protocol::WebPageConfig config, std::function<core::UserType()> userType)
        : m_index(index), m_config(std::move(config)), m_userType(std::move(userType)) {}

    void loadAddress() {
        if (m_content == Content::Refusal) {
            m_forgetEarlierHistory = true;
        }
        m_content = Content::Address;
        m_browser->load(QUrl::fromUserInput(fromGbk(m_config.address)));
    }

    void showRefusal() {
        m_content = Content::Refusal;
        m_forgetEarlierHistory = false;
        RenderHtml(*m_browser, core::largePageTemplate(), core::noPermissionFragment());
    }

    int m_index;
    protocol::WebPageConfig m_config;
    std::function<core::UserType()> m_userType;
    HtmlView* m_browser = nullptr;  // children of the page
    QFrame* m_bar = nullptr;
    Content m_content = Content::Nothing;
    // Set when the address is loaded after the refusal: once it is there,
    // the browser forgets the refusal (and whatever came before it).
    bool m_forgetEarlierHistory = false;
};

WebLinkPage::WebLinkPage(int index, protocol::WebPageConfig config,
                         std::function<core::UserType()> userType, QWidget* parent)
    : QWidget(parent),
      m_impl(std::make_unique<Impl>(index, std::move(config), std::move(userType))) {
    setObjectName(QStringLiteral("WebLinkPage"));
    setProperty("pageIndex", index);
    resize(kDesignWidth, kBrowserDesignHeight + kBarHeight);

    m_impl->m_browser = new HtmlView(this);
    m_impl->m_browser->setObjectName(QStringLiteral("页面_浏览器"));
    m_impl->m_browser->setGeometry(0, 0, kDesignWidth, kBrowserDesignHeight);
    m_impl->m_browser->setAccessibleName(title());

    m_impl->m_bar = new QFrame(this);
    m_impl->m_bar->setObjectName(QStringLiteral("按钮栏"));
    m_impl->m_bar->setGeometry(0, kBrowserDesignHeight, kDesignWidth, kBarHeight);

    const auto addButton = [this](const QString& caption, const QString& name, int left,
                                  void (WebLinkPage::*action)()) {
        auto* button = new QPushButton(caption, m_impl->m_bar);
        button->setObjectName(name);
        button->setGeometry(left, 5, 56, 22);
        connect(button, &QPushButton::clicked, this, action);
    };
    addButton(QStringLiteral("后退"), QStringLiteral("后退_按钮"), 13, &WebLinkPage::back);
    addButton(QStringLiteral("前进"), QStringLiteral("前进_按钮"), 209, &WebLinkPage::forward);
    addButton(QStringLiteral("刷新"), QStringLiteral("刷新_按钮"), 406, &WebLinkPage::refresh);

    QWebEnginePage* page = m_impl->m_browser->page();
    // A link with target "_blank" or a window.open() opens in this same
    // browser: the page keeps one view (and the one shared profile), and a
    // member never finds a browser window of ours outside the main window.
    // The request is answered through the page's signal rather than a page
    // subclass, so the view keeps the page HtmlView gave it.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                const QUrl target = request.requestedUrl();
                if (target.isValid() && !target.isEmpty()) {
                    m_impl->m_browser->load(target);
                }
            });
    connect(m_impl->m_browser, &QWebEngineView::loadFinished, this, [this](bool) {
        // A late signal of the refusal's own load finds the refusal still
        // current and leaves the history alone.
        QWebEngineHistory& history = *m_impl->m_browser->history();
        if (m_impl->m_forgetEarlierHistory && m_impl->m_content == Impl::Content::Address &&
            !showsWrittenDocument(history)) {
            m_impl->m_forgetEarlierHistory = false;
            history.clear();
        }
    });
}

WebLinkPage::~WebLinkPage() = default;

QString WebLinkPage::iconFile(int index) {
    return QStringLiteral("ico/%1.ico").arg(kFirstIconNumber + index);
}

int WebLinkPage::index() const {
    return m_impl->m_index;
}

QString WebLinkPage::title() const {
    return fromGbk(m_impl->m_config.name);
}

bool WebLinkPage::permitted() const {
    const core::UserType userType = m_impl->m_userType ? m_impl->m_userType() : core::kFreeUser;
    return core::webPageReadable(userType, m_impl->m_config);
}

void WebLinkPage::showFirstContent() {
    if (permitted()) {
        m_impl->loadAddress();
    } else {
        m_impl->showRefusal();
    }
}

void WebLinkPage::back() {
    // The refusal has no history to move in, even when the browser still
    // remembers pages from before it.
    if (m_impl->m_content == Impl::Content::Address) {
        m_impl->m_browser->back();
    }
}

void WebLinkPage::forward() {
    if (m_impl->m_content == Impl::Content::Address) {
        m_impl->m_browser->forward();
    }
}

void WebLinkPage::refresh() {
    if (!permitted()) {
        m_impl->showRefusal();
    } else if (m_impl->m_content == Impl::Content::Address) {
        m_impl->m_browser->reload();
    } else {
        // The member may open the page now (the user type changed since the
        // refusal was shown): there is nothing of the address to reload yet.
        m_impl->loadAddress();
    }
}

void WebLinkPage::fitToWindowSize(QSize windowSize) {
    const int width =
        windowSize.width() > kWindowDesignWidth ? windowSize.width() - kWidthMargin : kDesignWidth;
    const int height = windowSize.height() > kWindowDesignHeight
                           ? windowSize.height() - kHeightMargin
                           : kBrowserDesignHeight;
    m_impl->m_browser->setGeometry(0, 0, width, height);
    m_impl->m_bar->setGeometry(0, height, width, kBarHeight);
}

HtmlView& WebLinkPage::browser() {
    return *m_impl->m_browser;
}

}  // namespace lanzhou::display
