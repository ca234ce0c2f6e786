#pragma once

#include <QColor>
#include <QRect>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::account {

// The pieces the account forms are made of, each named by its component
// name and put at its design place. Texts are UTF-8 literals.

QLabel* formLabel(QWidget* parent, const char* text, const char* name, const QRect& geometry);
// An edit beside its label (made first, so the label comes first for
// assistive technology too), in the label's parent, named by the label's
// text (display::labelledBy).
QLineEdit* formEdit(QLabel* label, const char* name, const QRect& geometry);
// A password edit showing one "*" per character.
QLineEdit* maskedEdit(QLabel* label, const char* name, const QRect& geometry);
// A button that is never the dialog's default: Enter in a field sends nothing.
QPushButton* formButton(QWidget* parent, const char* text, const char* name, const QRect& geometry);
// Text in the given colour (labels and read-only edits).
void setTextColour(QWidget* widget, const QColor& colour);

// The frame every dialog of the client wears: the smallest banner, no status
// bar, no minimize or maximize button. Attach after the children exist, so
// that the frame restyles them.
void attachDialogFrame(skin::SkinFrame& frame, QWidget* dialog);

}  // namespace lanzhou::account
