#include "ui/skin/control_skinner.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextEdit>

namespace lanzhou::skin {
namespace {

constexpr const char* kMarker = "ZaderEdav_WndProc";

void setDrawState(QWidget* control, int state) {
    if (control->property("Vuziz_DrawState").toInt() != state) {
        control->setProperty("Vuziz_DrawState", state);
        control->update();
    }
}

// 0 unchecked, 1 checked, 2 indeterminate.
int checkValue(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

// A line edit that is part of a spin box or combo box belongs to that control.
bool isPartOfAnotherControl(const QWidget* edit) {
    const QWidget* parent = edit->parentWidget();
    return qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QComboBox*>(parent);
}

}  // namespace

ControlSkinner::ControlSkinner(QStyle* style, QObject* parent) : QObject(parent), m_style(style) {}

ControlSkinner::~ControlSkinner() {
    for (const QPointer<QWidget>& control : std::as_const(m_controls)) {
        if (control && control->style() == m_style) {
            control->removeEventFilter(this);
            control->setStyle(nullptr);
        }
    }
}

void ControlSkinner::restyle(QWidget* root) {
    if (!root) {
        return;
    }
    m_controls.removeIf([](const QPointer<QWidget>& gone) { return gone.isNull(); });
    // Every descendant: group boxes and pages are walked through, not restyled.
    const QList<QWidget*> children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        restyleOne(child);
    }
}

void ControlSkinner::restyleOne(QWidget* control) {
    if (control->property(kMarker).isValid()) {
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (auto* checkBox = qobject_cast<QCheckBox*>(control)) {
        control->setProperty("Vuziz_WindowType", QStringLiteral("checkbox"));
        control->setProperty("Vuziz_bCheck", checkValue(checkBox->checkState()));
        connect(checkBox, &QCheckBox::stateChanged, checkBox, [checkBox](int state) {
            checkBox->setProperty("Vuziz_bCheck", checkValue(Qt::CheckState(state)));
        });
    } else if (qobject_cast<QRadioButton*>(control) || qobject_cast<QPushButton*>(control)) {
        const bool radio = qobject_cast<QRadioButton*>(control);
        control->setProperty("Vuziz_WindowType",
                             radio ? QStringLiteral("radio") : QStringLiteral("button"));
        control->setProperty("Vuziz_bCheck", button->isChecked() ? 1 : 0);
        connect(button, &QAbstractButton::toggled, button,
                [button](bool checked) { button->setProperty("Vuziz_bCheck", checked ? 1 : 0); });
    } else if (!((qobject_cast<QLineEdit*>(control) && !isPartOfAnotherControl(control)) ||
                 qobject_cast<QTextEdit*>(control))) {
        return;
    }
    control->setProperty(kMarker, true);
    if (button) {
        control->setProperty("Vuziz_DrawState", 0);
    }
    control->installEventFilter(this);
    control->setStyle(m_style);
    m_controls.append(control);
}

bool ControlSkinner::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control) {
        return false;
    }
    if (!control->property("Vuziz_WindowType").isValid()) {
        // An edit: its border shows the focus, which a text edit does not repaint for.
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            control->update();
        }
        return false;
    }
    switch (event->type()) {
        case QEvent::Enter:
            setDrawState(control, 1);
            break;
        case QEvent::Leave:
            setDrawState(control, 0);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                setDrawState(control, 2);
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                const bool inside = control->rect().contains(
                    static_cast<QMouseEvent*>(event)->position().toPoint());
                setDrawState(control, inside ? 1 : 0);
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace lanzhou::skin
