#include "client/app/desktop_client.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <optional>
#include <utility>
#include <variant>

#include "client/account/account_service_window.h"
#include "client/account/login_window.h"
#include "client/account/recharge_window.h"
#include "client/account/register_window.h"
#include "client/account/support_link.h"
#include "client/core/contact_links.h"
#include "client/core/expiry.h"
#include "client/core/html_templates.h"
#include "client/core/status_text.h"
#include "client/core/texts.h"
#include "client/display/alert_sound.h"
#include "client/display/main_window.h"
#include "client/display/message_window.h"
#include "client/display/tray_controller.h"
#include "client/settings/settings_window.h"
#include "client/update/embedded_updater.h"
#include "client/update/update_notice_window.h"
#include "ui/prompt/window_prompt_presenter.h"
#include "ui/sound/sound_player.h"
#include "ui/widgets/qt_path.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::app {

using display::fromGbk;

DesktopClient::DesktopClient(Options options) : m_options(std::move(options)) {
    if (!m_options.endProgram) {
        m_options.endProgram = [](int code) { QCoreApplication::exit(code); };
    }
    m_sound = std::make_unique<display::SoundPlayer>();
    if (m_options.prompts != nullptr) {
        m_prompts = m_options.prompts;
    } else {
        m_windowPrompts = std::make_unique<display::WindowPromptPresenter>(
            m_frame, [this] { m_sound->playPromptChime(); });
        m_prompts = m_windowPrompts.get();
    }
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
}

DesktopClient::~DesktopClient() {
    // The connection first, so that nothing reaches the windows while they
    // go; the core itself last, because the alert page observes its lists.
    if (m_core) {
        m_core->close();
    }
    delete m_popup.data();
    m_main.reset();
    m_login.reset();
    m_core.reset();
}

account::LoginWindow* DesktopClient::loginWindow() const {
    return m_login.get();
}

display::MainWindow* DesktopClient::mainWindow() const {
    return m_main.get();
}

display::MessageWindow* DesktopClient::popup() const {
    return m_popup.data();
}

bool DesktopClient::start() {
    core::SessionCore::Options coreOptions;
    coreOptions.runDirectory = m_options.runDirectory;
    coreOptions.serverOverride = m_options.server;
    coreOptions.authorityFile = m_options.authorityFile;
    core::SessionView& view = *this;
    m_core = std::make_unique<core::SessionCore>(m_scheduler, view, std::move(coreOptions));
    m_frame.SetBaseColour(Qt::white);
    createLoginWindow();

    if (!m_core->open()) {
        m_prompts->showPrompt(core::gbk(core::text::kConnectFailed));
        endProgram(0);
        return false;
    }
    const std::optional<core::Credentials>& remembered = m_core->startupSettings().remembered;
    m_login->fillRemembered(remembered);
    m_login->attachFrame(m_core->line().index);
    applySkin();
    if (m_options.startMinimized && remembered) {
        m_automaticLogin = AutomaticLogin::AwaitingHandshake;
        // A server that never finishes the handshake must not leave the
        // member without any window.
        QTimer::singleShot(m_options.handshakeWait, this, [this] {
            if (m_automaticLogin == AutomaticLogin::AwaitingHandshake) {
                showLoginAfterAutomaticLogin();
            }
        });
    } else {
        m_login->show();
    }
    return true;
}

void DesktopClient::showLoginAfterAutomaticLogin() {
    if (m_automaticLogin == AutomaticLogin::None || m_main || m_ended) {
        return;
    }
    m_automaticLogin = AutomaticLogin::None;
    m_login->show();
}

void DesktopClient::createLoginWindow() {
    account::LoginWindow::Actions actions;
    actions.login = [this](const core::LoginFields& fields) {
        std::optional<core::FormRefusal> refusal = m_core->login(fields);
        if (refusal) {
            // Shown over the login window, which then takes the focus.
            showLoginAfterAutomaticLogin();
        }
        return refusal;
    };
    actions.rememberClicked = [this](bool ticked, const core::Credentials& form) {
        m_core->rememberBoxClicked(ticked, form);
    };
    actions.openRegister = [this] { openRegisterWindow(); };
    actions.openRecharge = [this] { openRechargeWindow(); };
    actions.openSettings = [this] { openSettingsWindow(); };
    actions.openAccountService = [this] { openAccountServiceWindow(); };
    actions.openSupportQq = [this] { openSupportLink(false); };
    actions.openSupportShopChat = [this] { openSupportLink(true); };
    m_login = std::make_unique<account::LoginWindow>(m_frame, *m_prompts, std::move(actions));
    connect(m_login.get(), &account::LoginWindow::closedByMember, this, [this] { endProgram(0); });
    if (m_windowPrompts) {
        m_windowPrompts->setOwner(m_login.get());
    }
}

void DesktopClient::applySkin() {
    const config::SkinChoice& skin = m_core->startupSettings().skin;
    if (const auto* colour = std::get_if<config::SkinColour>(&skin)) {
        // An empty bcolour is black here.
        m_frame.SetColour(skin::fromColorRef(colour->colorRef.value_or(0)));
    } else {
        // "\pic\a.jpg" in the run directory: the system's separators.
        m_frame.SetPicture(display::qtPathFromGbk(std::get<config::SkinPicture>(skin).path));
    }
}

void DesktopClient::openRegisterWindow() {
    account::RegisterWindow::Actions actions;
    actions.submit = [this](const core::RegistrationFields& fields) {
        return m_core->registerAccount(fields);
    };
    account::RegisterWindow window(m_frame, *m_prompts, m_core->session().settings.productTitle,
                                   std::move(actions), m_login.get());
    m_register = &window;
    window.exec();
}

void DesktopClient::openRechargeWindow() {
    account::RechargeWindow::Actions actions;
    actions.submit = [this](const core::RechargeFields& fields) {
        return m_core->recharge(fields);
    };
    account::RechargeWindow window(m_frame, *m_prompts, std::move(actions), m_login.get());
    window.exec();
}

void DesktopClient::openAccountServiceWindow() {
    account::AccountServiceWindow::Actions actions;
    actions.change = [this](const core::ChangePasswordFields& fields) {
        return m_core->changePassword(fields);
    };
    actions.retrieve = [this](const core::RetrievePasswordFields& fields) {
        return m_core->retrievePassword(fields);
    };
    // Opened from the login or the main window's help button, owned by
    // neither.
    account::AccountServiceWindow window(m_frame, *m_prompts, std::move(actions));
    m_accountService = &window;
    window.exec();
}

void DesktopClient::openSettingsWindow() {
    settings::SettingsWindow::Context context{std::as_const(*m_core).session(),
                                              m_core->settingChanges(),
                                              m_options.runDirectory,
                                              {},
                                              {},
                                              {},
                                              {},
                                              {}};
    context.mainWindowExists = [this] { return m_main != nullptr; };
    // The labels show the frame through them: a repaint brings the new skin.
    context.refreshLoginLabels = [this] { m_login->update(); };
    settings::SettingsWindow window(m_frame, *m_prompts, std::move(context));
    window.exec();
}

void DesktopClient::openSupportLink(bool shopChat) {
    const core::SessionSettings& settings = m_core->session().settings;
    account::openSupportLink(shopChat ? core::supportShopChatLink(settings.supportShopChat)
                                      : core::supportQqLink(settings.supportQq));
}

void DesktopClient::endProgram(int code) {
    if (QThread::currentThread() != thread()) {
        const bool handed = QMetaObject::invokeMethod(
            this, [this, code] { endProgram(code); }, Qt::QueuedConnection);
        if (!handed) {
            std::_Exit(code);
        }
        return;
    }
    if (m_ended) {
        return;
    }
    m_ended = true;
    if (m_core) {
        m_core->close();
    }
    // Every window goes (a modal prompt's loop ends with it); they are
    // destroyed with the client once the event loop has returned.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    m_options.endProgram(code);
}

bool DesktopClient::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        endProgram(0);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---- core::SessionView

void DesktopClient::applyLoginConfig(const core::LoginWindowConfig& config) {
    m_login->applyConfig(config);
}

core::LoginFormState DesktopClient::loginForm() const {
    return m_login->form();
}

void DesktopClient::setLoginCredentials(const core::Credentials& credentials) {
    m_login->setCredentials(credentials);
}

void DesktopClient::showBulletin(const std::string& pageHtml) {
    m_login->showBulletin(pageHtml);
}

void DesktopClient::setRetrievedPassword(const std::string& password) {
    if (m_accountService) {
        m_accountService->setRetrievedPassword(password);
    }
}

std::optional<core::Credentials> DesktopClient::takeRegisterWindowCredentials() {
    if (!m_register) {
        return std::nullopt;
    }
    const core::Credentials credentials = m_register->credentials();
    m_register->done(QDialog::Accepted);
    return credentials;
}

std::optional<core::Credentials> DesktopClient::takeAccountServiceCredentials() {
    if (!m_accountService) {
        return std::nullopt;
    }
    const core::Credentials credentials = m_accountService->changeCredentials();
    m_accountService->done(QDialog::Accepted);
    return credentials;
}

void DesktopClient::showPrompt(const std::string& text) {
    if (m_ended) {
        return;
    }
    m_prompts->showPrompt(text);
    if (m_automaticLogin == AutomaticLogin::Sent) {
        // A refused login: the login window follows its prompt. Not at once,
        // for a prompt that lets the member in (an expired membership) is
        // followed by the main window.
        QMetaObject::invokeMethod(
            this, [this] { showLoginAfterAutomaticLogin(); }, Qt::QueuedConnection);
    }
}

void DesktopClient::showCountdownPrompt(const std::string& text) {
    if (!m_ended) {
        m_prompts->showCountdownPrompt(text);
    }
}

void DesktopClient::handshakeDone() {
    if (m_automaticLogin != AutomaticLogin::AwaitingHandshake || m_ended) {
        return;
    }
    m_automaticLogin = AutomaticLogin::Sent;
    // As the login button does: the remembered credentials from the form.
    m_login->login();
}

void DesktopClient::enterMain() {
    if (m_ended) {
        return;
    }
    if (m_main) {
        // Logged in again after a lost connection: the window stays as it
        // is and the lists are asked for again.
        m_core->requestAlertList();
        return;
    }
    const core::ClientSession& session = m_core->session();
    display::MainWindow::Setup setup;
    setup.title = fromGbk(session.settings.productTitle);
    setup.status =
        fromGbk(core::mainStatusText(session.accountName, session.userType, session.expiryTime));
    setup.userType = session.userType;
    setup.alerts = &m_core->alerts();
    setup.webPages = session.webPages;
    setup.currentUserType = [this] { return m_core->session().userType; };
    setup.runDirectory = m_options.runDirectory;
    setup.membershipExpired = [this] {
        const core::ClientSession& now = m_core->session();
        return core::membershipExpired(now.expiryTime, now.serverTime.now());
    };
    setup.expiryCheckPeriod = m_options.expiryCheckPeriod;
    setup.trayAvailable = m_options.trayAvailable;
    setup.openSettings = [this] { openSettingsWindow(); };
    setup.openAccountService = [this] { openAccountServiceWindow(); };
    m_main = std::make_unique<display::MainWindow>(m_frame, *m_prompts, std::move(setup));
    connect(m_main.get(), &display::MainWindow::closedByMember, this, [this] { endProgram(0); });
    connect(m_main.get(), &display::MainWindow::membershipEnded, this, [this] { endProgram(0); });
    m_login->hide();
    if (m_automaticLogin == AutomaticLogin::Sent) {
        m_automaticLogin = AutomaticLogin::None;
        m_main->tray().showInTray();
    } else {
        m_main->show();
    }
    // The alert page asks for the whole list when it is made.
    m_core->requestAlertList();
}

void DesktopClient::closeMainOrLogin() {
    endProgram(0);
}

void DesktopClient::offerUpdate() {
    if (m_ended) {
        return;
    }
    if (!m_options.programInRunDirectory) {
        // The updater would unpack beside the per-user files, not over the
        // program, and claim a version that was never installed.
        if (!m_packageUpdateTold) {
            m_packageUpdateTold = true;
            m_prompts->showPrompt(core::gbk(core::text::kUpdateByPackage));
        }
        return;
    }
    const core::ClientSession& session = m_core->session();
    update::UpdateNoticeWindow notice(
        m_frame, [this] { m_sound->playPromptChime(); }, fromGbk(session.promptText),
        m_login.get());
    if (notice.exec() != QDialog::Accepted || m_ended) {
        return;  // the member goes on with this version; the next "#56" asks again
    }
    update::HandOff handOff;
    handOff.runDirectory = m_options.runDirectory;
    handOff.serverVersion = session.serverVersion;
    handOff.updateArgument = session.updateArgument;
    handOff.clientFileName =
        display::toGbk(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    update::handOffToUpdater(handOff, update::embeddedUpdater(), m_options.startUpdater);
    // The updater replaces our files: end at once, without the close
    // confirmation.
    endProgram(0);
}

void DesktopClient::openPopup() {
    if (m_ended) {
        return;
    }
    const core::ClientSession& session = m_core->session();
    const core::PopupKind kind = session.popupRecord.kind;
    showMessageWindow(core::popupFragment(session), [this, kind] { showPopupDetails(kind); });
    if (session.soundHint) {
        display::playAlertSound(*m_sound, session.soundFile);
    }
}

void DesktopClient::showMessageWindow(std::string fragment, std::function<void()> details) {
    // There is never more than one popup: a newer one replaces it (deleted
    // once control is back in the event loop, in case it is handling an event).
    if (m_popup) {
        m_popup->hide();
        m_popup->deleteLater();
    }
    const core::ClientSession& session = m_core->session();
    display::MessageWindow::Content content;
    content.caption = fromGbk(session.settings.productTitle) + QStringLiteral("-消息窗口");
    content.fragment = std::move(fragment);
    content.closeTicks = session.settings.popupCloseTicks;
    m_popup = new display::MessageWindow(m_frame, std::move(content));
    connect(m_popup.data(), &display::MessageWindow::detailsRequested, this, std::move(details));
    m_popup->show();
}

void DesktopClient::showPopupDetails(core::PopupKind kind) {
    if (!m_main) {
        return;  // a popup from before the login: the button only closes it
    }
    m_main->bringToFront();
    if (kind.isAlert()) {
        m_main->showLatestAlert();
    } else if (const std::optional<std::size_t> index = kind.noticeChannel()) {
        const auto& channel = m_core->session().channels[*index];
        m_main->selectTab(fromGbk(channel.name));
    }
}

void DesktopClient::connectionClosed(const std::string& text) {
    if (m_ended) {
        return;
    }
    m_prompts->showPrompt(text);
    endProgram(0);
}

void DesktopClient::showReconnecting(int /*attempt*/, std::chrono::milliseconds /*delay*/) {
    if (m_main && !m_ended) {
        m_main->setStatusText(fromGbk(core::gbk(core::text::kReconnecting)));
    }
}

void DesktopClient::showReconnected() {
    if (m_main && !m_ended) {
        const core::ClientSession& session = m_core->session();
        m_main->setStatusText(fromGbk(
            core::mainStatusText(session.accountName, session.userType, session.expiryTime)));
    }
}

void DesktopClient::showSummary(core::SummaryReason reason, int newAlerts) {
    if (m_ended || newAlerts <= 0) {
        return;
    }
    // No sound: the alerts it tells of were listed quietly.
    showMessageWindow(core::summaryText(reason, newAlerts) + "<BR>", [this] {
        if (m_main) {
            m_main->bringToFront();
        }
    });
}

}  // namespace lanzhou::app
