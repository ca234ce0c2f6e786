#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::update {

// UpdateNoticeWindow ("发现新的版本："): offers the newer version. "确定"
// (按钮1) accepts, "取消" (按钮2) and any other close reject. 标签1 holds the
// prompt; 画板1, never shown, gives the font the text is measured with. The
// chime plays, the frame is attached and the width fitted while it is built.
class UpdateNoticeWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateNoticeWindow)

public:
    UpdateNoticeWindow(skin::SkinFrame& frame, std::function<void()> playChime,
                       const QString& promptText, QWidget* parent = nullptr);

private:
    void fitWidth(const QString& promptText);

    QWidget* m_measure = nullptr;
    QLabel* m_label = nullptr;
    QPushButton* m_okButton = nullptr;
};

}  // namespace lanzhou::update
