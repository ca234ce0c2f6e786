#include "updater/window/updater_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "ui/skin/skin_frame.h"
#include "ui/widgets/component_placement.h"
#include "updater/window/updater_texts.h"

namespace lanzhou::updater {

namespace {

using display::place;

constexpr int kWidth = 533;
constexpr int kHeight = 110;

QLabel* caption(QWidget* parent, const char* name, const QString& text, int left) {
    auto* label = place(new QLabel(text, parent), name, QRect(left, 8, 80, 16));
    label->adjustSize();
    label->move(left, 8);
    return label;
}

QLabel* value(QWidget* parent, const char* name, int left, int width) {
    return place(new QLabel(parent), name, QRect(left, 36, width, 16));
}

void line(QWidget* parent, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(1);
    frame->setGeometry(geometry);
}

}  // namespace

UpdaterWindow::UpdaterWindow(skin::SkinFrame& frame, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("UpdaterWindow"));
    setWindowTitle(texts::windowTitle());
    setFixedSize(kWidth, kHeight);
    setFont(display::songFont());

    auto* box = place(new QFrame(this), "box", QRect(2, 26, 529, 58));
    box->setFrameShape(QFrame::Box);
    box->setFrameShadow(QFrame::Plain);

    caption(box, "taskCaption", texts::taskCaption(), 17);
    caption(box, "sizeCaption", texts::sizeCaption(), 91);
    caption(box, "progressCaption", texts::progressCaption(), 270);
    caption(box, "speedCaption", texts::speedCaption(), 456);

    line(box, QRect(1, 30, 527, 1));
    for (const int left : {82, 169, 433}) {
        line(box, QRect(left, 1, 1, 56));
    }

    value(box, "taskLabel", 3, 75)->setText(texts::taskName());
    m_size = value(box, "sizeLabel", 88, 75);
    m_progress = place(new QProgressBar(box), "progressBar", QRect(178, 36, 196, 16));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_phase = value(box, "phaseLabel", 379, 50);
    m_speed = value(box, "speedLabel", 436, 88);

    m_message = place(new QLabel(this), "messageLabel", QRect(8, 88, 440, 16));

    m_cancel =
        place(new QPushButton(texts::cancelButton(), this), "cancelButton", QRect(456, 86, 74, 20));
    m_close =
        place(new QPushButton(texts::closeButton(), this), "closeButton", QRect(456, 86, 74, 20));
    m_close->hide();
    connect(m_cancel, &QPushButton::clicked, this, &UpdaterWindow::cancelClicked);
    connect(m_close, &QPushButton::clicked, this, &UpdaterWindow::closeClicked);

    skin::AttachOptions options;
    options.bannerHeight = 20;
    options.statusHeight = 24;
    options.minimizeButton = true;
    options.maximizeButton = false;
    frame.Attach(this, options);
}

void UpdaterWindow::setSizeText(const QString& text) {
    m_size->setText(text);
}

void UpdaterWindow::setProgress(int percent) {
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void UpdaterWindow::setPhase(const QString& text) {
    m_phase->setText(text);
}

void UpdaterWindow::setSpeedText(const QString& text) {
    m_speed->setText(text);
}

void UpdaterWindow::setMessage(const QString& text) {
    m_message->setText(text);
}

void UpdaterWindow::setCancelEnabled(bool enabled) {
    m_cancel->setEnabled(enabled);
}

void UpdaterWindow::showFailure(const QString& message) {
    m_phase->setText(texts::failed());
    m_message->setText(message);
    m_message->setToolTip(message);
    m_progress->setEnabled(false);
    m_cancel->hide();
    m_close->show();
    m_close->setFocus();
}

QString UpdaterWindow::phase() const {
    return m_phase->text();
}

QString UpdaterWindow::message() const {
    return m_message->text();
}

int UpdaterWindow::progress() const {
    return m_progress->value();
}

void UpdaterWindow::closeEvent(QCloseEvent* event) {
    // The run decides when the window goes (and whether the client is
    // started again first).
    event->ignore();
    emit closeRequested();
}

}  // namespace lanzhou::updater
