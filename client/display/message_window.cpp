#include "client/display/message_window.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "client/core/html_templates.h"
#include "ui/html/html_view.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::display {
namespace {

constexpr QSize kWindowSize(300, 195);
constexpr QRect kContentBrowser(2, 24, 296, 133);
constexpr QRect kDetailsButton(118, 163, 122, 24);
constexpr QRect kCloseButton(249, 163, 46, 24);
constexpr std::chrono::milliseconds kTick{1000};

}  // namespace

class MessageWindow::Impl final {
public:
    Impl(QWidget* window, int closeTicks) : m_timer(new QTimer(window)), m_closeTicks(closeTicks) {
        m_timer->setObjectName(QStringLiteral("关闭_时钟"));
        m_timer->setInterval(kTick);
    }

    // Counts one second; true when the window's time is up. The test is for
    // equality, so a limit of 0 or less is never reached.
    bool tick() { return ++m_counter == m_closeTicks; }
    // The window opens: the counter starts at 0 and the timer runs. Later
    // shows (after a hide) leave both as they are.
    void open() {
        if (m_opened) {
            return;
        }
        m_opened = true;
        m_counter = 0;
        m_timer->start();
    }

    QTimer* m_timer;  // the close timer, a child of the window

private:
    bool m_opened = false;
    int m_counter = 0;
    int m_closeTicks;
};

MessageWindow::MessageWindow(skin::SkinFrame& frame, Content content, QWidget* parent)
    : QWidget(parent), m_impl(std::make_unique<Impl>(this, content.closeTicks)) {
    setObjectName(QStringLiteral("MessageWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A notification: it never takes the focus from what the member is typing
    // into, stays above other windows and out of the task bar.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setFixedSize(kWindowSize);

    auto* browser = new HtmlView(this);
    browser->setObjectName(QStringLiteral("内容_浏览器"));
    browser->setGeometry(kContentBrowser);
    browser->setFocusPolicy(Qt::NoFocus);
    browser->setAccessibleName(QStringLiteral("消息内容"));

    auto* details = new QPushButton(QStringLiteral("点击查看详细信息"), this);
    details->setObjectName(QStringLiteral("详细_按钮"));
    details->setGeometry(kDetailsButton);
    details->setFocusPolicy(Qt::NoFocus);

    auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("关闭_按钮"));
    closeButton->setGeometry(kCloseButton);
    closeButton->setFocusPolicy(Qt::NoFocus);

    setWindowTitle(content.caption);
    frame.Attach(this, skin::dialogAttachOptions());

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(popupPosition(screen->availableGeometry()));
    }

    RenderHtml(*browser, core::largePageTemplate(), content.fragment);

    connect(m_impl->m_timer, &QTimer::timeout, this, [this] {
        if (m_impl->tick()) {
            m_impl->m_timer->stop();
            close();
        }
    });
    connect(details, &QPushButton::clicked, this, [this] {
        // A receiver may replace this popup with a newer one (which deletes
        // this window), so the close only follows when it is still here.
        const QPointer<MessageWindow> self(this);
        emit detailsRequested();
        if (self) {
            close();
        }
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

MessageWindow::~MessageWindow() = default;

QPoint MessageWindow::popupPosition(const QRect& availableArea) {
    return {availableArea.x() + availableArea.width() - 302,
            availableArea.y() + availableArea.height() - 223};
}

void MessageWindow::setTickInterval(std::chrono::milliseconds interval) {
    m_impl->m_timer->setInterval(interval);
}

void MessageWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        m_impl->open();
    }
}

}  // namespace lanzhou::display
