#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::updater {

// The updater's progress window ("自动更新程序", 533 × 110): a framed box with
// the captions of the task, size, progress and speed columns over their
// values, a message line in the status bar and the "取消更新" button, which
// a failure replaces by "关闭". It only shows what it is told and reports the
// member's clicks; closing it is asked for, never done by itself.
//
// Components (objectName): box, taskCaption, sizeCaption, progressCaption,
// speedCaption, taskLabel, sizeLabel, progressBar, phaseLabel, speedLabel,
// messageLabel, cancelButton, closeButton.
class UpdaterWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdaterWindow)

public:
    explicit UpdaterWindow(skin::SkinFrame& frame, QWidget* parent = nullptr);

    void setSizeText(const QString& text);
    void setProgress(int percent);  // clamped to 0..100
    void setPhase(const QString& text);
    void setSpeedText(const QString& text);
    void setMessage(const QString& text);
    // "取消更新" may be clicked (not while files are being replaced).
    void setCancelEnabled(bool enabled);
    // The update failed: the phase says so, the message tells why, the bar
    // stops where it was, and "关闭" takes the place of "取消更新".
    void showFailure(const QString& message);

    QString phase() const;
    QString message() const;
    int progress() const;

signals:
    void cancelClicked();
    void closeClicked();
    // The frame's close button, the system's close or Alt+F4.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_size = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_phase = nullptr;
    QLabel* m_speed = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace lanzhou::updater
