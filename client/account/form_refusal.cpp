#include "client/account/form_refusal.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/prompt/prompt_presenter.h"

namespace lanzhou::account {

void showRefusal(display::PromptPresenter& prompts, QWidget* window,
                 const std::optional<core::FormRefusal>& refusal) {
    if (!refusal) {
        return;
    }
    const QPointer<QWidget> alive(window);
    const QString focus =
        QString::fromUtf8(refusal->focus.data(), static_cast<qsizetype>(refusal->focus.size()));
    prompts.showPrompt(refusal->text);
    if (!alive || focus.isEmpty()) {
        return;
    }
    if (auto* target = alive->findChild<QWidget*>(focus)) {
        target->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace lanzhou::account
