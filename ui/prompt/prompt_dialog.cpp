#include "ui/prompt/prompt_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "client/core/prompt_width.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::display {
namespace {

// The frame paints the content area in a near-white tint of its colour, so
// the text is dark whatever the skin or the desktop's own palette.
const QColor kTextColour(0x1f, 0x1f, 0x1f);

}  // namespace

PromptDialog::PromptDialog(QWidget* owner, const QString& name, const QString& caption,
                           const Design& design)
    : QDialog(owner), m_design(design) {
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(design.size);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("提示_标签"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(false);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setGeometry(design.label);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, kTextColour);
    m_label->setPalette(palette);

    m_okButton = new QPushButton(QStringLiteral("确定"), this);
    m_okButton->setObjectName(QStringLiteral("确定_按钮"));
    m_okButton->setGeometry(design.okButton);
    m_okButton->setDefault(true);
}

void PromptDialog::openWith(skin::SkinFrame& frame, const std::function<void()>& playChime,
                            const std::string& textGbk) {
    if (playChime) {
        playChime();
    }
    frame.Attach(this, skin::dialogAttachOptions());

    fitWidth(textGbk.size());
    m_label->setText(fromGbk(textGbk));
    // A screen reader reads the text with the window's name.
    setAccessibleDescription(m_label->text());
}

void PromptDialog::fitWidth(std::size_t textBytes) {
    const int letterWidth = QFontMetrics(m_label->font()).horizontalAdvance(QLatin1Char('A'));
    const core::PromptLayout design{m_design.size.width(), m_design.label.width(),
                                    m_design.okButton.left()};
    const core::PromptLayout fitted = core::fitPromptWidth(textBytes, letterWidth, design);
    if (fitted == design) {
        return;
    }
    setFixedSize(fitted.windowWidth, m_design.size.height());
    m_label->setGeometry(m_design.label.left(), m_design.label.top(), fitted.labelWidth,
                         m_design.label.height());
    m_okButton->move(fitted.buttonLeft, m_design.okButton.top());
}

}  // namespace lanzhou::display
