#pragma once

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace lanzhou::test {

// The child of `root` with this component name; the test fails naming the
// component when there is none.
template <typename T>
T* child(const QObject* root, const QString& name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    if (!found) {
        ADD_FAILURE() << "no component " << name.toStdString() << " of type "
                      << T::staticMetaObject.className();
    }
    return found;
}

// The visible top-level window with this objectName, or nullptr.
template <typename T = QWidget>
T* topLevel(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
            if (auto* typed = qobject_cast<T*>(widget)) {
                return typed;
            }
        }
    }
    return nullptr;
}

// Runs `work` with the modal window that opens next (polled on the event
// loop, so it works from inside the nested loop of exec()).
inline void whenModalOpens(std::function<void(QWidget*)> work, int attempts = 500) {
    QTimer::singleShot(10, [work = std::move(work), attempts]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            work(modal);
        } else if (attempts > 0) {
            whenModalOpens(std::move(work), attempts - 1);
        } else {
            ADD_FAILURE() << "no modal window opened";
        }
    });
}

}  // namespace lanzhou::test
