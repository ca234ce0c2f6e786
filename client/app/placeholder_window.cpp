#include "client/app/placeholder_window.h"

#include <QLabel>
#include <QPushButton>

#include "ui/skin/skin_frame.h"

namespace lanzhou::app {

PlaceholderWindow::PlaceholderWindow(skin::SkinFrame& frame, const QString& title, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PlaceholderWindow"));
    setWindowTitle(title);
    setFixedSize(320, 114);

    auto* label = new QLabel(QStringLiteral("“%1”将在后续版本中提供。").arg(title), this);
    label->setGeometry(2, 38, 316, 26);
    label->setAlignment(Qt::AlignCenter);

    auto* button = new QPushButton(QStringLiteral("确定"), this);
    button->setGeometry(122, 74, 76, 27);
    connect(button, &QPushButton::clicked, this, &QDialog::accept);

    skin::AttachOptions options;
    options.bannerHeight = 24;
    options.statusHeight = 0;
    options.minimizeButton = false;
    options.maximizeButton = false;
    frame.Attach(this, options);
}

}  // namespace lanzhou::app
