#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::display {

// What the three prompt windows share: a fixed-size skinned dialog with one
// centred text label ("提示_标签") and a "确定" button ("确定_按钮"), opened
// in a fixed order: chime, frame, width fitted to the text, text.
class PromptDialog : public QDialog {
    Q_OBJECT

public:
    // Design geometry in window coordinates (the frame's banner included).
    struct Design {
        QSize size;
        QRect label;
        QRect okButton;
    };

    QLabel* label() const { return m_label; }
    QPushButton* okButton() const { return m_okButton; }

protected:
    PromptDialog(QWidget* owner, const QString& name, const QString& caption, const Design& design);

    // The opening steps. `textGbk` is the prompt text in GBK.
    void openWith(skin::SkinFrame& frame, const std::function<void()>& playChime,
                  const std::string& textGbk);

private:
    void fitWidth(std::size_t textBytes);

    Design m_design;
    QLabel* m_label = nullptr;
    QPushButton* m_okButton = nullptr;
};

}  // namespace lanzhou::display
