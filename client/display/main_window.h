#pragma once

#include <QWidget>

#include <functional>

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::display {

class PromptPresenter;

// The window a member works with after logging in: the frame with its tab
// strip and status text. Closing it asks for confirmation; a confirmed close
// ends the program.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> openSettings;        // the frame's main-menu button
        std::function<void()> openAccountService;  // the frame's help button
    };

    // Design size 951 x 612. `title` is ProductTitle, `status` the account
    // line of the status bar.
    MainWindow(skin::SkinFrame& frame, PromptPresenter& prompts, const QString& title,
               const QString& status, Actions actions, QWidget* parent = nullptr);

signals:
    // The member confirmed the close.
    void closedByMember();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PromptPresenter& m_prompts;
};

}  // namespace lanzhou::display
