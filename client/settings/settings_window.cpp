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

#include <filesystem>
#include <string>
#include <utility>

#include "client/core/client_session.h"
#include "client/core/setting_changes.h"
#include "client/core/texts.h"
#include "client/settings/colour_box.h"
#include "config/run_paths.h"
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
    setFixedSize(379, 139);
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

    // Opened: the frame, the two switches, the dialogs' folders, the line.
    m_frame.Attach(this, skin::dialogAttachOptions());

    const core::ClientSession& session = m_context.session;
    soundHint->setChecked(session.soundHint);
    popupHint->setChecked(session.popupHint);
    m_pictureFolder = runFolder(m_context.runDirectory, config::kIconFolder);
    m_soundFolder = runFolder(m_context.runDirectory, config::kMusicFolder);
    telecom->setChecked(session.line == core::LineChoice::Telecom);
    netcom->setChecked(session.line == core::LineChoice::Netcom);

    connect(colours, &ColourBox::colourChosen, this, &SettingsWindow::colourChosen);
    connect(picture, &QPushButton::clicked, this, &SettingsWindow::choosePicture);
    connect(sound, &QPushButton::clicked, this, &SettingsWindow::chooseSound);
    connect(soundHint, &QCheckBox::clicked, this, &SettingsWindow::soundHintClicked);
    connect(popupHint, &QCheckBox::clicked, this, &SettingsWindow::popupHintClicked);
    connect(telecom, &QRadioButton::clicked, this,
            [this] { lineChosen(core::LineChoice::Telecom); });
    connect(netcom, &QRadioButton::clicked, this, [this] { lineChosen(core::LineChoice::Netcom); });
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

void SettingsWindow::refreshLoginLabelsAtLogin() {
    const bool atLogin = !m_context.mainWindowExists || !m_context.mainWindowExists();
    if (atLogin && m_context.refreshLoginLabels) {
        m_context.refreshLoginLabels();
    }
}

}  // namespace lanzhou::settings
