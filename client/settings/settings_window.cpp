#include "client/settings/settings_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>

#include <filesystem>
#include <string>
#include <utility>

#include "client/core/client_session.h"
#include "client/core/setting_changes.h"
#include "client/core/texts.h"
#include "client/settings/colour_box.h"
#include "config/run_paths.h"
#include "platform/autostart.h"
#include "platform/paths.h"
#include "ui/prompt/prompt_presenter.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_path.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::settings {
namespace {

using display::place;

// The frame paints the content area in a near-white tint of its colour.
const QColor kTextColour(0x1f, 0x1f, 0x1f);

const QString kPictureFilter = QStringLiteral("图片文件 (*.png *.jpg *.bmp *.gif)");
const QString kSoundFilter = QStringLiteral("声音文件 (*.wav *.mid)");
const QString kAutostartNotRegistered =
    QStringLiteral("无法设置开机自动启动：系统的自动启动项写入失败。");
const QString kAutostartNotRemoved =
    QStringLiteral("无法取消开机自动启动：系统的自动启动项删除失败。");

// A folder of the run directory, as the file dialogs want it.
QString runFolder(const std::string& runDirectoryGbk, std::string_view name) {
    return QDir::toNativeSeparators(display::qtPath(platform::pathFromGbk(runDirectoryGbk) / name));
}

// A chosen file as the configuration keeps it: GBK, the system's separators.
std::string pathText(const QString& chosen) {
    return display::toGbk(QDir::toNativeSeparators(chosen));
}

QString askForFile(QWidget* parent, const QString& caption, const QString& folder,
                   const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

// Quiet hours as k_config.ini keeps them.
const QString kTimeFormat = QStringLiteral("HH:mm");
const QTime kDefaultQuietFrom(22, 0);
const QTime kDefaultQuietTo(7, 0);

QTime storedTime(const std::string& text) {
    return QTime::fromString(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                             kTimeFormat);
}

std::string timeText(const QTime& time) {
    return time.toString(kTimeFormat).toStdString();
}

// A time field of the quiet hours, named for screen readers.
QTimeEdit* timeField(QWidget* parent, const QTime& stored, const QTime& fallback,
                     const QString& accessibleName) {
    auto* field = new QTimeEdit(stored.isValid() ? stored : fallback, parent);
    field->setDisplayFormat(kTimeFormat);
    field->setAccessibleName(accessibleName);
    return field;
}

bool registerThisProgram(bool on) {
    return on ? platform::registerAutostart(platform::kAutostartName, platform::executablePath())
              : platform::unregisterAutostart(platform::kAutostartName);
}

}  // namespace

SettingsWindow::SettingsWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts,
                               Context context, QWidget* parent)
    : QDialog(parent), m_frame(frame), m_prompts(prompts), m_context(std::move(context)) {
    if (!m_context.chooseFile) {
        m_context.chooseFile = askForFile;
    }
    setObjectName(QStringLiteral("SettingsWindow"));
    setWindowTitle(QStringLiteral("软件设置"));
    setModal(true);
    setFixedSize(379, 193);
    setFont(display::songFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, kTextColour);
    setPalette(palette);

    place(new QLabel(QStringLiteral("选择皮肤颜色:"), this), "颜色_标签", {15, 30, 88, 24});
    auto* colours = place(new ColourBox(this), "颜色_选择框", {103, 31, 96, 20});
    place(new QLabel(QStringLiteral("选择皮肤图片:"), this), "图片_标签", {15, 66, 80, 24});
    auto* picture =
        place(new QPushButton(QStringLiteral("选择图片"), this), "图片_按钮", {103, 66, 96, 24});
    place(new QLabel(QStringLiteral("选择声音文件:"), this), "声音_标签", {15, 103, 80, 24});
    auto* sound =
        place(new QPushButton(QStringLiteral("选择声音"), this), "声音_按钮", {103, 105, 96, 24});
    auto* soundHint = place(new QCheckBox(QStringLiteral("是否启动声音提示"), this), "声音_选择框",
                            {214, 31, 120, 18});
    auto* popupHint = place(new QCheckBox(QStringLiteral("是否弹出消息提示"), this), "弹出_选择框",
                            {214, 59, 120, 18});
    auto* lines =
        place(new QGroupBox(QStringLiteral("线路选择"), this), "线路_分组框", {208, 82, 159, 48});
    auto* telecom = place(new QRadioButton(QString::fromUtf8(core::text::kTelecomLine), lines),
                          "电信_单选框", {6, 20, 72, 16});
    auto* netcom = place(new QRadioButton(QString::fromUtf8(core::text::kNetcomLine), lines),
                         "网通_单选框", {83, 20, 72, 16});
    auto* reconnect = place(new QCheckBox(QStringLiteral("断线后自动重连"), this), "重连_选择框",
                            {15, 139, 120, 18});
    m_autostart = place(new QCheckBox(QStringLiteral("开机自动启动"), this), "自启_选择框",
                        {214, 139, 120, 18});
    m_quiet = place(new QCheckBox(QStringLiteral("免打扰时段"), this), "免打扰_选择框",
                    {15, 165, 84, 18});
    const core::ClientSession& session = m_context.session;
    const QTime from = storedTime(session.quietFrom);
    const QTime to = storedTime(session.quietTo);
    m_quietFrom = place(timeField(this, from, kDefaultQuietFrom, QStringLiteral("免打扰开始时间")),
                        "开始_时间框", {103, 163, 60, 22});
    place(new QLabel(QStringLiteral("至"), this), "至_标签", {167, 163, 16, 22});
    m_quietTo = place(timeField(this, to, kDefaultQuietTo, QStringLiteral("免打扰结束时间")),
                      "结束_时间框", {187, 163, 60, 22});
    // What the label beside it says, for screen readers.
    colours->setAccessibleName(QStringLiteral("选择皮肤颜色"));

    // Opened: the frame, the switches, the dialogs' folders, the line, the
    // autostart entry and the quiet hours.
    m_frame.Attach(this, skin::dialogAttachOptions());

    soundHint->setChecked(session.soundHint);
    popupHint->setChecked(session.popupHint);
    m_pictureFolder = runFolder(m_context.runDirectory, config::kIconFolder);
    m_soundFolder = runFolder(m_context.runDirectory, config::kMusicFolder);
    telecom->setChecked(session.line == core::LineChoice::Telecom);
    netcom->setChecked(session.line == core::LineChoice::Netcom);
    reconnect->setChecked(session.reconnect);
    if (!m_context.autostartRegistered) {
        m_context.autostartRegistered = [] {
            return platform::isAutostartRegistered(platform::kAutostartName);
        };
    }
    if (!m_context.setAutostartEntry) {
        m_context.setAutostartEntry = registerThisProgram;
    }
    m_autostart->setChecked(m_context.autostartRegistered());
    const bool quiet = from.isValid() && to.isValid() && from != to;
    m_quiet->setChecked(quiet);
    m_quietFrom->setEnabled(quiet);
    m_quietTo->setEnabled(quiet);

    connect(colours, &ColourBox::colourChosen, this, &SettingsWindow::colourChosen);
    connect(picture, &QPushButton::clicked, this, &SettingsWindow::choosePicture);
    connect(sound, &QPushButton::clicked, this, &SettingsWindow::chooseSound);
    connect(soundHint, &QCheckBox::clicked, this, &SettingsWindow::soundHintClicked);
    connect(popupHint, &QCheckBox::clicked, this, &SettingsWindow::popupHintClicked);
    connect(telecom, &QRadioButton::clicked, this,
            [this] { lineChosen(core::LineChoice::Telecom); });
    connect(netcom, &QRadioButton::clicked, this, [this] { lineChosen(core::LineChoice::Netcom); });
    connect(reconnect, &QCheckBox::clicked, this, &SettingsWindow::reconnectClicked);
    connect(m_autostart, &QCheckBox::clicked, this, &SettingsWindow::autostartClicked);
    connect(m_quiet, &QCheckBox::clicked, this, &SettingsWindow::quietHoursChanged);
    connect(m_quietFrom, &QTimeEdit::timeChanged, this, &SettingsWindow::quietHoursChanged);
    connect(m_quietTo, &QTimeEdit::timeChanged, this, &SettingsWindow::quietHoursChanged);
    // Closed by any way (button of the frame, Escape, done()).
    connect(this, &QDialog::finished, this, &SettingsWindow::refreshLoginLabelsAtLogin);
}

void SettingsWindow::colourChosen(const QColor& colour) {
    m_frame.SetColour(colour);
    m_context.changes.setSkinColour(skin::toColorRef(colour));
    refreshLoginLabelsAtLogin();
}

void SettingsWindow::choosePicture() {
    // The dialog runs a nested event loop: the window may be gone after it.
    const QPointer<SettingsWindow> self(this);
    const QString chosen =
        m_context.chooseFile(this, QStringLiteral("选择图片"), m_pictureFolder, kPictureFilter);
    if (!self) {
        return;
    }
    if (!chosen.isEmpty()) {
        m_frame.SetPicture(chosen);
        m_pictureFolder = chosen;
        m_context.changes.setSkinPicture(pathText(chosen));
    }
    refreshLoginLabelsAtLogin();
}

void SettingsWindow::chooseSound() {
    const QPointer<SettingsWindow> self(this);
    const QString chosen =
        m_context.chooseFile(this, QStringLiteral("选择声音"), m_soundFolder, kSoundFilter);
    if (!self || chosen.isEmpty()) {
        return;
    }
    m_context.changes.setSoundFile(pathText(chosen));
    m_soundFolder = chosen;
}

void SettingsWindow::soundHintClicked(bool checked) {
    m_context.changes.setSoundHint(checked);
}

void SettingsWindow::popupHintClicked(bool checked) {
    m_context.changes.setPopupHint(checked);
}

void SettingsWindow::lineChosen(core::LineChoice line) {
    if (!m_context.changes.setServerLine(line)) {
        return;
    }
    // A copy: the session's text may be replaced while the prompt is open.
    const std::string text = m_context.session.promptText;
    m_prompts.showPrompt(text);
}

void SettingsWindow::reconnectClicked(bool checked) {
    m_context.changes.setReconnect(checked);
}

void SettingsWindow::autostartClicked(bool checked) {
    if (m_context.setAutostartEntry(checked)) {
        m_context.changes.setAutostart(checked);
        return;
    }
    // Nothing changed: the box shows the entry as it is, and says why.
    m_autostart->setChecked(!checked);
    m_prompts.showPrompt(display::toGbk(checked ? kAutostartNotRegistered : kAutostartNotRemoved));
}

void SettingsWindow::quietHoursChanged() {
    const bool on = m_quiet->isChecked();
    m_quietFrom->setEnabled(on);
    m_quietTo->setEnabled(on);
    if (on) {
        m_context.changes.setQuietHours(timeText(m_quietFrom->time()), timeText(m_quietTo->time()));
    } else {
        m_context.changes.setQuietHours({}, {});
    }
}

void SettingsWindow::refreshLoginLabelsAtLogin() {
    const bool atLogin = !m_context.mainWindowExists || !m_context.mainWindowExists();
    if (atLogin && m_context.refreshLoginLabels) {
        m_context.refreshLoginLabels();
    }
}

}  // namespace lanzhou::settings
