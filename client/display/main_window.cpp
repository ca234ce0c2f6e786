#include "client/display/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>

#include <utility>
#include <vector>

#include "client/core/texts.h"
#include "client/display/alert_page.h"
#include "client/display/tray_controller.h"
#include "client/display/web_link_page.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "ui/prompt/prompt_presenter.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::display {

namespace {

constexpr int kDesignWidth = 951;
constexpr int kDesignHeight = 612;
constexpr std::size_t kIconLimit = std::size_t{4} << 20;

// The bytes of an icon file of the run directory ("ico\1.ico"); empty when
// it cannot be read.
QByteArray iconBytes(const std::string& runDirectory, const QString& relativePath) {
    QString gbkRelative = relativePath;
    gbkRelative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const auto path = platform::pathFromGbk(runDirectory + "\\" + toGbk(gbkRelative));
    const auto bytes = platform::readFile(path, kIconLimit);
    return bytes ? QByteArray::fromStdString(*bytes) : QByteArray();
}

}  // namespace

class MainWindow::Impl {
public:
    Impl(skin::SkinFrame& skinFrame, PromptPresenter& promptPresenter)
        : frame(skinFrame), prompts(promptPresenter) {}

    skin::SkinFrame& frame;
    PromptPresenter& prompts;
    AlertPage* alertPage = nullptr;
    std::vector<WebLinkPage*> pages;
    TrayController* tray = nullptr;
    QTimer* expiryCheck = nullptr;
    QString status;
    std::function<bool()> membershipExpired;
    bool ending = false;
};

MainWindow::MainWindow(skin::SkinFrame& frame, PromptPresenter& prompts, Setup setup,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_impl(std::make_unique<Impl>(frame, prompts)) {
    setObjectName(QStringLiteral("MainWindow"));
    resize(kDesignWidth, kDesignHeight);
    setWindowTitle(setup.title);

    skin::AttachOptions options;
    options.minimizeButton = true;
    options.maximizeButton = true;
    options.helpButton = true;
    options.mainMenuButton = true;
    options.sizeBox = true;
    options.minimumWidth = kDesignWidth;
    options.minimumHeight = kDesignHeight;
    frame.Attach(this, options);
    setStatusText(setup.status);
    if (setup.openSettings) {
        frame.OnMainMenuClick(this, std::move(setup.openSettings));
    }
    if (setup.openAccountService) {
        frame.OnHelpClick(this, std::move(setup.openAccountService));
    }

    if (setup.userType > core::kFreeUser && setup.membershipExpired) {
        m_impl->membershipExpired = std::move(setup.membershipExpired);
        m_impl->expiryCheck = new QTimer(this);
        connect(m_impl->expiryCheck, &QTimer::timeout, this, &MainWindow::checkExpiry);
        m_impl->expiryCheck->start(static_cast<int>(setup.expiryCheckPeriod.count()));
    }

    addTabs(setup);
    m_impl->tray = setup.trayAvailable
                       ? new TrayController(*this, QApplication::windowIcon(), setup.title,
                                            *setup.trayAvailable, this)
                       : new TrayController(*this, QApplication::windowIcon(), setup.title, this);
}

MainWindow::~MainWindow() = default;

void MainWindow::setStatusText(const QString& text) {
    m_impl->status = text;
    m_impl->frame.SetStatusText(this, text);
}

QString MainWindow::statusText() const {
    return m_impl->status;
}

void MainWindow::addTabs(const Setup& setup) {
    m_impl->alertPage = new AlertPage(*setup.alerts, m_impl->prompts, this);
    for (int index = 0; index < static_cast<int>(setup.webPages.size()); ++index) {
        const auto& config = setup.webPages[static_cast<std::size_t>(index)];
        if (!config.hidden) {
            m_impl->pages.push_back(new WebLinkPage(index, config, setup.currentUserType, this));
        }
    }

    const QString alertTab = QString::fromUtf8(kAlertTabTitle);
    m_impl->frame.AddTab(this, iconBytes(setup.runDirectory, QStringLiteral("ico/1.ico")), alertTab,
                         m_impl->alertPage);
    for (WebLinkPage* page : m_impl->pages) {
        m_impl->frame.AddTab(this,
                             iconBytes(setup.runDirectory, WebLinkPage::iconFile(page->index())),
                             page->title(), page);
        page->showFirstContent();
    }
    m_impl->frame.SelectTab(this, alertTab);
}

void MainWindow::checkExpiry() {
    if (m_impl->ending || !m_impl->membershipExpired()) {
        return;
    }
    m_impl->expiryCheck->stop();
    m_impl->ending = true;
    QPointer<MainWindow> self(this);
    m_impl->prompts.showCountdownPrompt(core::gbk(core::text::kMembershipExpired));
    if (self) {
        emit membershipEnded();
    }
}

void MainWindow::showLatestAlert() {
    selectTab(QString::fromUtf8(kAlertTabTitle));
    m_impl->alertPage->showLatestAlert();
}

void MainWindow::selectTab(const QString& title) {
    m_impl->frame.SelectTab(this, title);
}

void MainWindow::bringToFront() {
    if (m_impl->tray->inTray()) {
        m_impl->tray->restore();
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool MainWindow::inTray() const {
    return m_impl->tray->inTray();
}

AlertPage& MainWindow::alertPage() {
    return *m_impl->alertPage;
}

QList<WebLinkPage*> MainWindow::webLinkPages() const {
    return QList<WebLinkPage*>(m_impl->pages.begin(), m_impl->pages.end());
}

TrayController& MainWindow::tray() {
    return *m_impl->tray;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_impl->ending) {
        event->accept();
        return;
    }
    if (!m_impl->prompts.confirmClose()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closedByMember();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize size = event->size();
    m_impl->alertPage->fitToWindowSize(size);
    for (WebLinkPage* page : m_impl->pages) {
        page->fitToWindowSize(size);
    }
}

}  // namespace lanzhou::display
