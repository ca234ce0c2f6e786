#include "cli/command_runner.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "cli/json_view.h"
#include "client/core/alert_export.h"
#include "client/core/alert_filter.h"
#include "client/core/session_core.h"

namespace lanzhou::cli {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

void CommandRunner::handle(const InputLine& line) {
    if (line.overlong) {
        m_view.writeEvent({{"event", "error"}, {"text", "line too long"}});
        return;
    }
    if (line.text.find_first_not_of(" \t") == std::string::npos) {
        return;  // blank lines are allowed between commands
    }
    const auto parsed = parseCommand(line.text);
    if (!parsed) {
        m_view.writeEvent({{"event", "error"}, {"text", parsed.error()}});
        return;
    }
    run(*parsed);
}

void CommandRunner::run(const Command& command) {
    std::visit(
        Overloaded{
            [this](const LoginCommand& login) {
                // Typed into the form, then the box clicked if it has to
                // change (which stores the form as it is), then the button.
                const core::Credentials typed{login.fields.account, login.fields.password};
                m_view.fillLoginForm(typed);
                if (login.remember && *login.remember != m_view.loginForm().remember) {
                    m_view.setRememberBox(*login.remember);
                    m_core.rememberBoxClicked(*login.remember, typed);
                }
                refused(m_core.login(login.fields));
            },
            [this](const RegisterCommand& registration) {
                m_view.openRegisterWindow(
                    {registration.fields.account, registration.fields.password});
                refused(m_core.registerAccount(registration.fields));
            },
            [this](const RechargeCommand& recharge) { refused(m_core.recharge(recharge.fields)); },
            [this](const ChangePasswordCommand& change) {
                m_view.openAccountServiceWindow({change.fields.account, change.fields.password});
                refused(m_core.changePassword(change.fields));
            },
            [this](const RetrievePasswordCommand& retrieval) {
                refused(m_core.retrievePassword(retrieval.fields));
            },
            [this](const ListsCommand&) { m_view.writeLists(); },
            [this](const ExportCommand& exported) { exportLists(exported); },
            [this](const QuitCommand&) { m_quit(0); },
        },
        command);
}

// As "导出" on the alert page, with the lists and filter of the command.
void CommandRunner::exportLists(const ExportCommand& command) {
    const std::filesystem::path path(std::u8string(command.path.begin(), command.path.end()));
    const Result<int> written = core::exportAlerts(
        m_core.alerts(), command.lists, core::AlertFilter::fromUtf8(command.filter), path);
    if (!written) {
        m_view.prompt(written.error(), {});
        return;
    }
    m_view.writeEvent({{"event", "exported"}, {"path", command.path}, {"rows", *written}});
}

void CommandRunner::refused(const std::optional<core::FormRefusal>& refusal) {
    if (refusal) {
        m_view.prompt(refusal->text, refusal->focus);
    }
}

}  // namespace lanzhou::cli
