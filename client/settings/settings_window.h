#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

#include "client/core/line_choice.h"

class QCheckBox;
class QColor;
class QTimeEdit;

namespace lanzhou::core {
class SettingChanges;
struct ClientSession;
}  // namespace lanzhou::core

namespace lanzhou::display {
class PromptPresenter;
}

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::settings {

// SettingsWindow ("软件设置"): the frame's colour or picture, the alert sound
// file, the sound and popup switches, the server line, reconnecting, starting
// with the computer and quiet hours. Every change applies at once and is
// written at once to k_config.ini; a new line is used from the next start,
// which the window says. Components: 颜色_标签, 颜色_选择框, 图片_标签,
// 图片_按钮, 声音_标签, 声音_按钮, 声音_选择框, 弹出_选择框, 线路_分组框
// with 电信_单选框 and 网通_单选框, 重连_选择框, 自启_选择框, 免打扰_选择框,
// 开始_时间框, 至_标签, 结束_时间框.
//
// Quiet hours: 免打扰_选择框 ticked means on, from 开始_时间框 up to
// 结束_时间框; each change of a ticked box's times is written at once.
// Unticked, both keys are written empty (which reads as off) and the times
// are greyed. The box shows ticked when both stored times are valid "HH:MM"
// and differ; the fields show the stored times where valid, else 22:00 and
// 07:00.
class SettingsWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsWindow)

public:
    struct Context {
        const core::ClientSession& session;  // line, switches, quiet hours
        core::SettingChanges& changes;       // each change, into k_config.ini at once
        std::string runDirectory;            // GBK, no trailing separator
        std::function<bool()> mainWindowExists;
        std::function<void()> refreshLoginLabels;
        // The open-file dialog (tests replace it): the chosen full path, empty when cancelled.
        // Default: QFileDialog::getOpenFileName.
        std::function<QString(QWidget* parent, const QString& caption, const QString& folder,
                              const QString& filter)>
            chooseFile;
        // Starting with the computer: whether the entry is there, and writing
        // (true) or removing (false) it, true when done. Default: the
        // desktop's autostart entry for this program (platform/autostart.h).
        std::function<bool()> autostartRegistered;
        std::function<bool(bool on)> setAutostartEntry;
    };

    SettingsWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts, Context context,
                   QWidget* parent = nullptr);

private:
    void colourChosen(const QColor& colour);
    void choosePicture();
    void chooseSound();
    void soundHintClicked(bool checked);
    void popupHintClicked(bool checked);
    void lineChosen(core::LineChoice line);
    void reconnectClicked(bool checked);
    void autostartClicked(bool checked);
    void quietHoursChanged();
    // The login window's labels copy the frame behind them: they follow a
    // new skin while the member is still at the login window.
    void refreshLoginLabelsAtLogin();

    skin::SkinFrame& m_frame;
    display::PromptPresenter& m_prompts;
    Context m_context;
    QString m_pictureFolder;
    QString m_soundFolder;
    QCheckBox* m_autostart = nullptr;
    QCheckBox* m_quiet = nullptr;
    QTimeEdit* m_quietFrom = nullptr;
    QTimeEdit* m_quietTo = nullptr;
};

}  // namespace lanzhou::settings
