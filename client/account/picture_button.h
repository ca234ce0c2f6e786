#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace lanzhou::account {

// A button that is only its picture, scaled to its size (no frame, no
// text), with the hand cursor. Not a push button, so the skin frame leaves
// its look alone. Tab reaches it; its accessible name is set by its user.
class PictureButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

}  // namespace lanzhou::account
