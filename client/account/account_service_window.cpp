#include "client/account/account_service_window.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "client/account/form_components.h"
#include "client/account/form_refusal.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::account {

AccountServiceWindow::AccountServiceWindow(skin::SkinFrame& frame,
                                           display::PromptPresenter& prompts, Actions actions,
                                           QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("AccountServiceWindow"));
    setWindowTitle(QStringLiteral("账号服务"));
    setFixedSize(283, 289);
    setFont(display::songFont());

    m_tabs = display::place(new QTabWidget(this), "高级选择夹1", {2, 26, 278, 261});

    QWidget* change = addPage("修改密码");
    m_changeAccount =
        onPage(formEdit(onPage(formLabel(change, "用 户 名：", "标签1", {25, 37, 67, 15})),
                        "修改_ad1", {107, 32, 128, 25}));
    m_newPassword =
        onPage(maskedEdit(onPage(formLabel(change, "新 密 码：", "标签2", {25, 73, 67, 15})),
                          "修改_ad2", {107, 68, 128, 25}));
    m_confirm =
        onPage(maskedEdit(onPage(formLabel(change, "确认密码：", "标签3", {25, 109, 67, 15})),
                          "修改_ad3", {107, 104, 128, 25}));
    m_changeQq =
        onPage(formEdit(onPage(formLabel(change, "联系 Q Q：", "标签4", {25, 146, 67, 15})),
                        "修改_ad4", {107, 141, 128, 25}));
    m_changePhone =
        onPage(formEdit(onPage(formLabel(change, "联系电话：", "标签5", {25, 185, 67, 15})),
                        "修改_ad5", {107, 180, 128, 25}));
    QPushButton* changeButton = onPage(formButton(change, "修改密码", "按钮1", {95, 226, 88, 29}));

    QWidget* retrieve = addPage("密码找回");
    m_retrieveAccount =
        onPage(formEdit(onPage(formLabel(retrieve, "用 户 名：", "标签6", {25, 37, 67, 15})),
                        "找回_ad1", {107, 32, 128, 25}));
    m_retrieveQq =
        onPage(formEdit(onPage(formLabel(retrieve, "联系 Q Q：", "标签7", {25, 73, 67, 15})),
                        "找回_ad2", {107, 68, 128, 25}));
    m_retrievePhone =
        onPage(formEdit(onPage(formLabel(retrieve, "联系电话：", "标签8", {25, 109, 67, 15})),
                        "找回_ad3", {107, 104, 128, 25}));
    m_result =
        onPage(formEdit(onPage(formLabel(retrieve, "当前密码：", "标签9", {25, 185, 67, 15})),
                        "结果_ad1", {107, 180, 128, 25}));
    m_result->setReadOnly(true);
    setTextColour(m_result, Qt::red);
    QPushButton* retrieveButton =
        onPage(formButton(retrieve, "找回密码", "按钮2", {95, 226, 88, 29}));

    connect(changeButton, &QPushButton::clicked, this, &AccountServiceWindow::submitChange);
    connect(retrieveButton, &QPushButton::clicked, this, &AccountServiceWindow::submitRetrieve);

    attachDialogFrame(frame, this);
}

AccountServiceWindow::~AccountServiceWindow() = default;

QWidget* AccountServiceWindow::addPage(const char* title) {
    auto* page = new QWidget;
    m_tabs->addTab(page, QString::fromUtf8(title));
    // The pages' stack is laid out below the tabs when the control is shown.
    m_pageStack = page->parentWidget();
    m_pageStack->installEventFilter(this);
    return page;
}

// The design places count from the tab control's corner, tabs included (the
// last button ends 6 pixels above its bottom edge), while a page starts below
// the tabs: each component is put where its design place falls, whatever
// height the tabs have in the current style.
void AccountServiceWindow::placeOnPages() {
    for (const auto& [component, place] : m_pagePlaces) {
        if (!component || !component->parentWidget()) {
            continue;
        }
        const QPoint pageCorner = component->parentWidget()->mapTo(m_tabs, QPoint(0, 0));
        component->setGeometry(place.translated(-pageCorner));
    }
}

bool AccountServiceWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        watched == m_pageStack) {
        placeOnPages();
    }
    return QDialog::eventFilter(watched, event);
}

void AccountServiceWindow::setRetrievedPassword(const std::string& passwordGbk) {
    m_result->setText(display::fromGbk(passwordGbk));
}

core::Credentials AccountServiceWindow::changeCredentials() const {
    return {display::toGbk(m_changeAccount->text()), display::toGbk(m_newPassword->text())};
}

void AccountServiceWindow::submitChange() {
    if (!m_actions.change) {
        return;
    }
    const core::ChangePasswordFields fields{
        display::toGbk(m_changeAccount->text()), display::toGbk(m_newPassword->text()),
        display::toGbk(m_confirm->text()), display::toGbk(m_changeQq->text()),
        display::toGbk(m_changePhone->text())};
    showRefusal(m_prompts, this, m_actions.change(fields));
}

void AccountServiceWindow::submitRetrieve() {
    if (!m_actions.retrieve) {
        return;
    }
    const core::RetrievePasswordFields fields{display::toGbk(m_retrieveAccount->text()),
                                              display::toGbk(m_retrieveQq->text()),
                                              display::toGbk(m_retrievePhone->text())};
    showRefusal(m_prompts, this, m_actions.retrieve(fields));
}

}  // namespace lanzhou::account
