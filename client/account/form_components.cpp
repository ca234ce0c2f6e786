#include "client/account/form_components.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "ui/skin/skin_frame.h"
#include "ui/widgets/accessible_names.h"
#include "ui/widgets/component_placement.h"

namespace lanzhou::account {

using display::place;

QLabel* formLabel(QWidget* parent, const char* text, const char* name, const QRect& geometry) {
    return place(new QLabel(QString::fromUtf8(text), parent), name, geometry);
}

QLineEdit* formEdit(QLabel* label, const char* name, const QRect& geometry) {
    return display::labelledBy(place(new QLineEdit(label->parentWidget()), name, geometry), label);
}

QLineEdit* maskedEdit(QLabel* label, const char* name, const QRect& geometry) {
    QLineEdit* edit = formEdit(label, name, geometry);
    edit->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the platform style would draw.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    return edit;
}

QPushButton* formButton(QWidget* parent, const char* text, const char* name,
                        const QRect& geometry) {
    auto* button = place(new QPushButton(QString::fromUtf8(text), parent), name, geometry);
    button->setAutoDefault(false);
    return button;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

void attachDialogFrame(skin::SkinFrame& frame, QWidget* dialog) {
    frame.Attach(dialog, skin::dialogAttachOptions());
}

}  // namespace lanzhou::account
