#pragma once

#include <QChar>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace lanzhou::display {

// The name a field is read by, from the label in front of it: the label's
// text without its spaces and closing colon ("账    号：" gives "账号").
inline QString nameFromLabel(const QString& labelText) {
    QString name;
    for (const QChar c : labelText) {
        if (!c.isSpace()) {
            name += c;
        }
    }
    while (name.endsWith(QChar(0xFF1A)) || name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    return name;
}

// Ties a field to its label: the label's buddy, the field's accessible name.
template <typename Field>
Field* labelledBy(Field* field, QLabel* label) {
    label->setBuddy(field);
    field->setAccessibleName(nameFromLabel(label->text()));
    return field;
}

}  // namespace lanzhou::display
