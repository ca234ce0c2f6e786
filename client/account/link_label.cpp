#include "client/account/link_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>

namespace lanzhou::account {
namespace {

// A link for assistive technology: named by its text, pressed as a click
// presses it (queued: what it opens may be modal).
class LinkLabelAccessible final : public QAccessibleWidget {
public:
    explicit LinkLabelAccessible(LinkLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) {
            own = static_cast<const QLabel*>(widget())->text();
        }
        return own;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        QMetaObject::invokeMethod(widget(), "pressed", Qt::QueuedConnection);
    }
};

QAccessibleInterface* linkLabelFactory(const QString& /*key*/, QObject* object) {
    if (auto* label = qobject_cast<LinkLabel*>(object)) {
        return new LinkLabelAccessible(label);
    }
    return nullptr;
}

bool acts(const QKeyEvent* event) {
    const int key = event->key();
    return event->modifiers() == Qt::NoModifier &&
           (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(linkLabelFactory);
        return true;
    }();
    (void)installed;
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit pressed();
        return;
    }
    QLabel::mousePressEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (acts(event)) {
        event->accept();
        emit pressed();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::focusInEvent(QFocusEvent* event) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QLabel::focusInEvent(event);
}

void LinkLabel::focusOutEvent(QFocusEvent* event) {
    QFont plain = font();
    plain.setUnderline(false);
    setFont(plain);
    QLabel::focusOutEvent(event);
}

}  // namespace lanzhou::account
