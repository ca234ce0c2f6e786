#include "client/display/main_window.h"

#include <QCloseEvent>

#include "client/display/prompt_presenter.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::display {

namespace {
constexpr int kDesignWidth = 951;
constexpr int kDesignHeight = 612;
}  // namespace

MainWindow::MainWindow(skin::SkinFrame& frame, PromptPresenter& prompts, const QString& title,
                       const QString& status, Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts) {
    setObjectName(QStringLiteral("MainWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(kDesignWidth, kDesignHeight);
    setWindowTitle(title);

    skin::AttachOptions options;
    options.minimizeButton = true;
    options.maximizeButton = true;
    options.helpButton = true;
    options.mainMenuButton = true;
    options.sizeBox = true;
    options.minimumWidth = kDesignWidth;
    options.minimumHeight = kDesignHeight;
    frame.Attach(this, options);
    frame.SetStatusText(this, status);
    if (actions.openSettings) {
        frame.OnMainMenuClick(this, std::move(actions.openSettings));
    }
    if (actions.openAccountService) {
        frame.OnHelpClick(this, std::move(actions.openAccountService));
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_prompts.confirmClose()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closedByMember();
}

}  // namespace lanzhou::display
