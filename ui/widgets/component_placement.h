#pragma once

#include <QFont>
#include <QRect>
#include <QString>

namespace lanzhou::display {

// The windows' text face: "宋体" at 12 pixels (the application maps the
// family to an installed Song-style face).
inline QFont songFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

// Names a component (its objectName, UTF-8) and puts it at its design place.
template <typename T>
T* place(T* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace lanzhou::display
