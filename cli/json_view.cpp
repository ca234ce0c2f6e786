#include "cli/json_view.h"

#include <nlohmann/json.hpp>

#include "client/core/html_templates.h"
#include "client/core/session_core.h"
#include "client/core/status_text.h"
#include "client/core/texts.h"

namespace lanzhou::cli {

namespace {

using nlohmann::json;

const char* listName(core::AlertListId list) {
    return list == core::AlertListId::Today ? "today" : "history";
}

// The row's texts in the lists' column order.
json rowCells(const core::AlertRow& row) {
    json cells = json::array();
    for (const std::string_view text :
         {row.id, row.time, row.code, row.name, row.operation, row.buy, row.sell, row.remark}) {
        cells.push_back(utf8(text));
    }
    return cells;
}

json listRows(const core::AlertList& list) {
    json rows = json::array();
    for (int index = 0; index < list.rowCount(); ++index) {
        rows.push_back(rowCells(list.row(index)));
    }
    return rows;
}

}  // namespace

JsonView::JsonView(EventWriter& writer, core::Scheduler& scheduler,
                   std::function<void(int)> endSession)
    : m_writer(writer),
      m_endSession(std::move(endSession)),
      m_watch(scheduler, [this] { membershipEnded(); }) {}

void JsonView::attach(core::SessionCore& core) {
    m_core = &core;
    if (const auto& remembered = core.startupSettings().remembered) {
        m_form.account = remembered->account;
        m_form.password = remembered->password;
        m_form.remember = true;
    }
    core.alerts().setObserver(this);
}

void JsonView::fillLoginForm(const core::Credentials& credentials) {
    m_form.account = credentials.account;
    m_form.password = credentials.password;
}

void JsonView::openRegisterWindow(core::Credentials credentials) {
    m_registerWindow = std::move(credentials);
}

void JsonView::openAccountServiceWindow(core::Credentials credentials) {
    m_accountServiceWindow = std::move(credentials);
}

void JsonView::prompt(const std::string& text, std::string_view focus) {
    json event = {{"event", "prompt"}, {"text", utf8(text)}};
    if (!focus.empty()) {
        event["focus"] = std::string(focus);
    }
    writeEvent(event);
}

void JsonView::writeLists() {
    if (m_core == nullptr) {
        return;
    }
    const auto& alerts = m_core->alerts();
    writeEvent({{"event", "lists"},
                {"today", listRows(alerts.list(core::AlertListId::Today))},
                {"history", listRows(alerts.list(core::AlertListId::History))}});
}

void JsonView::writeEvent(const nlohmann::json& event) {
    m_writer.write(event);
}

// ------------------------------------------------------------ SessionView

void JsonView::applyLoginConfig(const core::LoginWindowConfig& config) {
    writeEvent({{"event", "config"},
                {"title", utf8(config.caption)},
                {"label_colour", config.labelColour},
                {"bulletin_hidden", config.hideBulletin},
                {"height", config.height},
                {"support_qq", config.showSupportQq},
                {"support_shop_chat", config.showSupportShopChat}});
}

void JsonView::setLoginCredentials(const core::Credentials& credentials) {
    fillLoginForm(credentials);
    writeEvent({{"event", "login_form"}, {"account", utf8(credentials.account)}});
}

void JsonView::showBulletin(const std::string& pageHtml) {
    writeEvent({{"event", "bulletin"}, {"html", utf8(pageHtml)}});
}

void JsonView::setRetrievedPassword(const std::string& password) {
    writeEvent({{"event", "retrieved_password"}, {"password", utf8(password)}});
}

std::optional<core::Credentials> JsonView::takeRegisterWindowCredentials() {
    return std::exchange(m_registerWindow, std::nullopt);
}

std::optional<core::Credentials> JsonView::takeAccountServiceCredentials() {
    return std::exchange(m_accountServiceWindow, std::nullopt);
}

void JsonView::showPrompt(const std::string& text) {
    prompt(text, {});
}

void JsonView::showCountdownPrompt(const std::string& text) {
    if (m_ended) {
        return;
    }
    // No ten-second countdown here: the event says it all, and the action
    // closes the session right after it.
    writeEvent({{"event", "offline"}, {"text", utf8(text)}});
}

void JsonView::enterMain() {
    if (m_core == nullptr || m_ended) {
        return;
    }
    const auto& session = m_core->session();
    writeEvent({{"event", "main"},
                {"account", utf8(session.accountName)},
                {"user_type", session.userType.value},
                {"expiry", utf8(session.expiryTime)},
                {"status", utf8(core::mainStatusText(session.accountName, session.userType,
                                                     session.expiryTime))}});
    // The main window's alert page asks for the whole list when it is made.
    m_core->requestAlertList();
    m_watch.start(session);
}

void JsonView::closeMainOrLogin() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_watch.stop();
    m_endSession(0);
}

void JsonView::offerUpdate() {
    if (m_core == nullptr) {
        return;
    }
    const auto& session = m_core->session();
    writeEvent({{"event", "update_offer"},
                {"server_version", session.serverVersion},
                {"local_version", session.localVersion}});
}

void JsonView::openPopup() {
    if (m_core == nullptr || m_ended) {
        return;
    }
    const auto& session = m_core->session();
    writeEvent({{"event", "popup"},
                {"kind", utf8(session.popupRecord.kind.text())},
                {"fragment", utf8(core::popupFragment(session))}});
}

void JsonView::connectionClosed(const std::string& text) {
    if (m_ended) {
        return;
    }
    showPrompt(text);
    writeEvent({{"event", "closed"}});
    m_ended = true;
    m_watch.stop();
    m_endSession(0);
}

void JsonView::showReconnecting(int attempt, std::chrono::milliseconds delay) {
    if (!m_ended) {
        writeEvent({{"event", "reconnecting"}, {"attempt", attempt}, {"delay_ms", delay.count()}});
    }
}

void JsonView::showReconnected() {
    if (!m_ended) {
        writeEvent({{"event", "reconnected"}});
    }
}

void JsonView::showSummary(core::SummaryReason reason, int newAlerts) {
    if (!m_ended && newAlerts > 0) {
        writeEvent({{"event", "summary"},
                    {"reason", core::summaryReasonName(reason)},
                    {"new_alerts", newAlerts}});
    }
}

void JsonView::membershipEnded() {
    if (m_ended) {
        return;
    }
    showCountdownPrompt(core::gbk(core::text::kMembershipExpired));
    closeMainOrLogin();
}

// ------------------------------------------------------- AlertListObserver

void JsonView::writeRowEvent(const char* name, core::AlertListId list, int row) {
    json event = {{"event", name}, {"list", listName(list)}, {"row", row}};
    if (m_core != nullptr) {
        const auto& rows = m_core->alerts().list(list);
        if (row >= 0 && row < rows.rowCount()) {
            event["cells"] = rowCells(rows.row(row));
        }
    }
    writeEvent(event);
}

void JsonView::rowInserted(core::AlertListId list, int row) {
    writeRowEvent("row_inserted", list, row);
}

void JsonView::rowChanged(core::AlertListId list, int row) {
    writeRowEvent("row_changed", list, row);
}

void JsonView::rowRemoved(core::AlertListId list, int row) {
    writeEvent({{"event", "row_removed"}, {"list", listName(list)}, {"row", row}});
}

void JsonView::listsReset() {
    if (m_core == nullptr) {
        return;
    }
    const auto& alerts = m_core->alerts();
    writeEvent({{"event", "lists_reset"},
                {"today", alerts.list(core::AlertListId::Today).rowCount()},
                {"history", alerts.list(core::AlertListId::History).rowCount()}});
}

}  // namespace lanzhou::cli
