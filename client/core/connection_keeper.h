#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "client/core/session_view.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {

// What the dispatcher tells the piece that may keep the session across a lost
// connection (Reconnector), and asks it. Session thread only.
class ConnectionKeeper {
public:
    virtual ~ConnectionKeeper() = default;

    // The connection is gone. True when the keeper takes it over (no
    // disconnect prompt); false when the session ends as it always did.
    virtual bool takeOverDrop() = 0;
    // "#ag" or "#ah": the member was sent away; never come back after that.
    virtual void sentAway() = 0;
    // The answer to "#58" arrived: the handshake is complete.
    virtual void handshakeDone() = 0;
    // While logging in again: the form the login answer is judged with (the
    // credentials of the session, nothing remembered again); otherwise none.
    virtual std::optional<LoginFormState> reloginForm() const = 0;
    // The login was accepted (the main window opens or stays open).
    virtual void loggedIn() = 0;
    // The login was refused with session.promptText. True when the keeper
    // shows it and ends the session; false for the usual prompt.
    virtual bool endOnRefusal() = 0;
    // An alert was placed in the lists as it arrived.
    virtual void alertArrived(std::string_view id) = 0;
    // The list answer has replaced the lists.
    virtual void listReplaced(std::span<const protocol::AlertRecord> records) = 0;
};

}  // namespace lanzhou::core
