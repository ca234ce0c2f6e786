#include "client/account/login_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <utility>

#include "client/account/form_refusal.h"
#include "client/account/link_label.h"
#include "client/account/picture_button.h"
#include "client/account/support_pictures.h"
#include "client/core/status_text.h"
#include "ui/html/html_view.h"
#include "ui/prompt/prompt_presenter.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/accessible_names.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::account {
namespace {

constexpr int kDesignWidth = 452;
constexpr int kDesignHeight = 428;
constexpr int kBannerHeight = 279;
constexpr QRgb kSeparatorColour = 0xECECEC;

using display::place;

// Transparent on the skin: the frame paints the banner behind the label.
template <typename T>
T* label(T* widget, const char* name, const QRect& geometry) {
    widget->setAutoFillBackground(false);
    widget->setFont(display::songFont());
    return place(widget, name, geometry);
}

QFrame* separator(QWidget* parent, const char* name, const QRect& geometry) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(kSeparatorColour));
    line->setPalette(palette);
    return place(line, name, geometry);
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

template <typename F, typename... Args>
void call(const F& action, Args&&... args) {
    if (action) {
        action(std::forward<Args>(args)...);
    }
}

}  // namespace

class LoginWindow::Impl {
public:
    Impl(skin::SkinFrame& frame, display::PromptPresenter& prompts, Actions actions)
        : m_frame(frame), m_prompts(prompts), m_actions(std::move(actions)) {}

    core::Credentials credentials() const {
        return {display::toGbk(m_account->text()), display::toGbk(m_password->text())};
    }

    skin::SkinFrame& m_frame;
    display::PromptPresenter& m_prompts;
    Actions m_actions;

    QLabel* m_accountLabel = nullptr;
    QLineEdit* m_account = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_loginButton = nullptr;
    QCheckBox* m_remember = nullptr;
    QLabel* m_rememberLabel = nullptr;
    LinkLabel* m_registerLabel = nullptr;
    LinkLabel* m_rechargeLabel = nullptr;
    PictureButton* m_supportQq = nullptr;
    PictureButton* m_supportShopChat = nullptr;
    display::HtmlView* m_browser = nullptr;
};

LoginWindow::LoginWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts, Actions actions,
                         QWidget* parent)
    : QWidget(parent), m_impl(std::make_unique<Impl>(frame, prompts, std::move(actions))) {
    setObjectName(QStringLiteral("LoginWindow"));
    setFixedSize(kDesignWidth, kDesignHeight);
    Impl& d = *m_impl;

    d.m_accountLabel =
        label(new QLabel(QStringLiteral("账  号："), this), "标签3", {50, 135, 51, 18});
    d.m_account = place(new QLineEdit(this), "登陆_ad1", {118, 134, 166, 20});
    d.m_passwordLabel =
        label(new QLabel(QStringLiteral("密  码："), this), "标签4", {50, 174, 51, 18});
    d.m_password = place(new QLineEdit(this), "登陆_ad2", {118, 173, 166, 20});
    d.m_password->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the platform style would draw.
    d.m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    d.m_loginButton =
        place(new QPushButton(QStringLiteral("登 陆"), this), "按钮3", {321, 132, 83, 63});
    d.m_remember = place(new QCheckBox(this), "选择框1", {85, 213, 12, 12});
    d.m_rememberLabel =
        label(new QLabel(QStringLiteral("记住密码"), this), "标签5", {104, 211, 56, 16});
    d.m_registerLabel =
        label(new LinkLabel(QStringLiteral("注册账号"), this), "注册_标签", {204, 211, 56, 16});
    d.m_rechargeLabel =
        label(new LinkLabel(QStringLiteral("账号充值"), this), "充值_标签", {305, 211, 56, 16});
    separator(this, "外形框1", {32, 102, 384, 1});
    separator(this, "外形框2", {32, 247, 384, 1});

    d.m_supportQq = place(new PictureButton(this), "图形按钮1", {32, 253, 74, 22});
    d.m_supportQq->setPicture(supportQqPicture(d.m_supportQq->size()));
    d.m_supportQq->hide();
    d.m_supportShopChat = place(new PictureButton(this), "图形按钮2", {337, 255, 80, 18});
    d.m_supportShopChat->setPicture(supportShopChatPicture(d.m_supportShopChat->size()));
    d.m_supportShopChat->hide();
    // Names for assistive technology where the visible label is apart from
    // its control or the control is a picture.
    display::labelledBy(d.m_account, d.m_accountLabel);
    display::labelledBy(d.m_password, d.m_passwordLabel);
    display::labelledBy(d.m_remember, d.m_rememberLabel);
    d.m_loginButton->setAccessibleName(QStringLiteral("登陆"));
    d.m_supportQq->setAccessibleName(QStringLiteral("QQ客服"));
    d.m_supportShopChat->setAccessibleName(QStringLiteral("在线客服"));

    d.m_browser = place(new display::HtmlView(this), "互联网浏览器1", {2, 279, 448, 122});
    d.m_browser->setAccessibleName(QStringLiteral("公告"));

    d.m_account->installEventFilter(this);
    d.m_password->installEventFilter(this);
    connect(d.m_loginButton, &QPushButton::clicked, this, &LoginWindow::login);
    connect(d.m_remember, &QCheckBox::clicked, this, [this](bool ticked) {
        call(m_impl->m_actions.rememberClicked, ticked, m_impl->credentials());
    });
    connect(d.m_registerLabel, &LinkLabel::pressed, this,
            [this] { call(m_impl->m_actions.openRegister); });
    connect(d.m_rechargeLabel, &LinkLabel::pressed, this,
            [this] { call(m_impl->m_actions.openRecharge); });
    connect(d.m_supportQq, &QAbstractButton::clicked, this,
            [this] { call(m_impl->m_actions.openSupportQq); });
    connect(d.m_supportShopChat, &QAbstractButton::clicked, this,
            [this] { call(m_impl->m_actions.openSupportShopChat); });
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::fillRemembered(const std::optional<core::Credentials>& remembered) {
    Impl& d = *m_impl;
    if (!remembered) {
        d.m_account->setFocus(Qt::OtherFocusReason);
        return;
    }
    d.m_account->setText(display::fromGbk(remembered->account));
    d.m_password->setText(display::fromGbk(remembered->password));
    d.m_remember->setChecked(true);  // not a click: nothing is written
    d.m_password->setFocus(Qt::OtherFocusReason);
}

void LoginWindow::attachFrame(core::LineChoice line) {
    skin::AttachOptions options;
    options.bannerHeight = kBannerHeight;
    options.minimizeButton = true;
    options.maximizeButton = false;
    options.helpButton = true;
    options.mainMenuButton = true;
    options.sizeBox = false;
    skin::SkinFrame& frame = m_impl->m_frame;
    frame.Attach(this, options);
    frame.RestyleChildren();
    frame.SetStatusText(this, display::fromGbk(core::lineStatusText(line)));

    // The frame keeps the handlers; the window may be gone by the time one runs.
    QPointer<LoginWindow> self(this);
    frame.OnMainMenuClick(this, [self] {
        if (self) {
            call(self->m_impl->m_actions.openSettings);
        }
    });
    frame.OnHelpClick(this, [self] {
        if (self) {
            call(self->m_impl->m_actions.openAccountService);
        }
    });
}

void LoginWindow::applyConfig(const core::LoginWindowConfig& config) {
    Impl& d = *m_impl;
    setWindowTitle(display::fromGbk(config.caption));
    const QColor colour = skin::fromColorRef(config.labelColour);
    for (QLabel* each :
         std::array<QLabel*, 5>{d.m_accountLabel, d.m_passwordLabel, d.m_rememberLabel,
                                d.m_registerLabel, d.m_rechargeLabel}) {
        QPalette palette = each->palette();
        palette.setColor(QPalette::WindowText, colour);
        each->setPalette(palette);
    }
    // Only ever hides and shows: a later configuration does not undo it.
    if (config.hideBulletin) {
        d.m_browser->hide();
    }
    setFixedHeight(config.height);
    if (config.showSupportQq) {
        d.m_supportQq->show();
    }
    if (config.showSupportShopChat) {
        d.m_supportShopChat->show();
    }
}

core::LoginFormState LoginWindow::form() const {
    const Impl& d = *m_impl;
    return {display::toGbk(d.m_account->text()), display::toGbk(d.m_password->text()),
            d.m_remember->isChecked()};
}

void LoginWindow::setCredentials(const core::Credentials& credentials) {
    m_impl->m_account->setText(display::fromGbk(credentials.account));
    m_impl->m_password->setText(display::fromGbk(credentials.password));
}

void LoginWindow::showBulletin(const std::string& documentGbk) {
    m_impl->m_browser->showDocument(documentGbk);
}

display::HtmlView& LoginWindow::bulletinView() {
    return *m_impl->m_browser;
}

void LoginWindow::login() {
    if (!m_impl->m_actions.login) {
        return;
    }
    const core::Credentials typed = m_impl->credentials();
    showRefusal(m_impl->m_prompts, this,
                m_impl->m_actions.login(core::LoginFields{typed.account, typed.password}));
}

void LoginWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closedByMember();
}

bool LoginWindow::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        if (watched == m_impl->m_account) {
            m_impl->m_password->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (watched == m_impl->m_password) {
            login();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lanzhou::account
