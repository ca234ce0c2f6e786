#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QStyle;

namespace lanzhou::skin {

// Restyles the push buttons, check boxes, radio buttons and edits below a
// widget with the shared control style, and keeps their Vuziz_WindowType
// ("button", "checkbox", "radio"), Vuziz_bCheck (0 unchecked, 1 checked, 2
// indeterminate) and
// Vuziz_DrawState (0 normal, 1 hover, 2 pressed) in step. Controls already
// restyled (ZaderEdav_WndProc) are left as they are.
class ControlSkinner final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ControlSkinner)

public:
    ControlSkinner(QStyle* style, QObject* parent);
    // Restyled controls that are still alive return to the application style.
    ~ControlSkinner() override;

    void restyle(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restyleOne(QWidget* control);

    QStyle* m_style;
    QList<QPointer<QWidget>> m_controls;
};

}  // namespace lanzhou::skin
