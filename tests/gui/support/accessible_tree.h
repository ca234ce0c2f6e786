#pragma once

#include <QAccessible>
#include <QString>
#include <QStringList>

namespace lanzhou::test {

// Whether a member acts on an element of this role (so it must have a name).
inline bool isInteractive(QAccessible::Role role) {
    switch (role) {
        case QAccessible::Button:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::ButtonDropGrid:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::Dial:
        case QAccessible::ScrollBar:
        case QAccessible::Link:
        case QAccessible::PageTab:
        case QAccessible::List:
        case QAccessible::Table:
        case QAccessible::Tree:
        case QAccessible::MenuItem:
        case QAccessible::HotkeyField:
            return true;
        default:
            return false;
    }
}

// Roles whose children are content rather than controls (rows and cells of
// a list, a page in a browser, named by its own title if at all): the walk
// does not go into them; the list or the browser itself has the name.
inline bool holdsContent(QAccessible::Role role) {
    return role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree ||
           role == QAccessible::WebDocument || role == QAccessible::Document;
}

// One line per visible element below `root`: indentation, role, name and,
// for QObject-backed elements, the object's name.
inline void describeTree(QAccessibleInterface* element, QStringList& lines, int depth = 0) {
    if (!element || !element->isValid() || element->state().invisible) {
        return;
    }
    const QObject* object = element->object();
    lines << QStringLiteral("%1%2 \"%3\" %4")
                 .arg(QString(depth * 2, QLatin1Char(' ')))
                 .arg(QString::fromLatin1(qAccessibleRoleString(element->role())))
                 .arg(element->text(QAccessible::Name))
                 .arg(object ? object->objectName() : QString());
    if (holdsContent(element->role())) {
        return;
    }
    for (int i = 0; i < element->childCount(); ++i) {
        describeTree(element->child(i), lines, depth + 1);
    }
}

// The visible interactive elements below `root` that have no name, each as
// "role path", where the path is the component names from the window down.
inline QStringList unnamedInteractive(QAccessibleInterface* root, const QString& path = {}) {
    QStringList unnamed;
    if (!root || !root->isValid() || root->state().invisible) {
        return unnamed;
    }
    const QObject* object = root->object();
    const QString here =
        path + QLatin1Char('/') +
        (object && !object->objectName().isEmpty()
             ? object->objectName()
             : QString::fromLatin1(object ? object->metaObject()->className() : "-"));
    if (isInteractive(root->role()) && root->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QStringLiteral("%1 %2").arg(
            QString::fromLatin1(qAccessibleRoleString(root->role())), here);
    }
    if (holdsContent(root->role())) {
        return unnamed;
    }
    for (int i = 0; i < root->childCount(); ++i) {
        unnamed << unnamedInteractive(root->child(i), here);
    }
    return unnamed;
}

}  // namespace lanzhou::test
