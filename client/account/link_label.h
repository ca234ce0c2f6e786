#pragma once

#include <QLabel>

namespace lanzhou::account {

// A label that acts on a left button press (not on release), with the hand
// cursor: the registration and recharge links of the account windows. Tab
// reaches it (underlined while it has the focus), Space or Enter acts, and
// assistive technology sees a link named by its text with the press action.
class LinkLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkLabel)

public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace lanzhou::account
