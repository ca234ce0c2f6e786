#pragma once

#include <QDialog>

#include <functional>

class QLabel;

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::updater {

// The last word of a successful update (320 × 114, no title): the prompt
// text and "确定". It starts `playChime` (the prompt chime) when created. "确定" and any
// other way of closing it end it with QDialog::finished.
//
// Components (objectName): promptLabel, okButton.
class FinishWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FinishWindow)

public:
    FinishWindow(skin::SkinFrame& frame, const std::function<void()>& playChime,
                 const QString& prompt, QWidget* parent = nullptr);

    QString prompt() const;
    void setPrompt(const QString& prompt);

private:
    QLabel* m_prompt = nullptr;
};

}  // namespace lanzhou::updater
