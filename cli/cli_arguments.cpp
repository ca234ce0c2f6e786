#include "cli/cli_arguments.h"

namespace lanzhou::cli {

std::string_view usageText() {
    return R"(usage: lanzhou-cli [--server [tls://]HOST:PORT] [--ca-file FILE] [--run-dir DIR]

Headless client of the alert service. It connects to the server line chosen
by k_config.ini in the run directory (or to --server), runs the start-up
handshake, then reads commands from standard input and prints events to
standard output, one JSON object per line (UTF-8) each.

  --server HOST:PORT  connect here instead of the configured line;
                      tls://HOST:PORT connects inside TLS, verifying the
                      server's certificate and host name (a line without
                      TLS sends passwords in clear text)
  --ca-file FILE      trust the authorities of this PEM bundle for TLS
                      instead of the system's
  --run-dir DIR       directory of k_config.ini and ver.txt (must exist);
                      default: the directory of this program, or for an
                      installed copy a per-user folder (~/.local/share/lanzhou)
  --help              this text

Commands (one per line):
  {"cmd":"login","account":A,"password":P,"remember":true|false}
      "remember" is optional: it ticks or clears the remember box first
  {"cmd":"register","account":A,"password":P,"repeat":R,"qq":Q,"phone":T}
  {"cmd":"recharge","account":A,"password":P,"card":C}
  {"cmd":"change_password","account":A,"password":P,"confirm":C,"qq":Q,"phone":T}
  {"cmd":"retrieve_password","account":A,"qq":Q,"phone":T}
  {"cmd":"lists"}
  {"cmd":"quit"}
A line that cannot be used (not JSON, unknown "cmd", a missing or mistyped
field) is answered with {"event":"error","text":...}; reading goes on.

Events (field "event"):
  prompt {text[,focus]}      a message the desktop client would show
  connected {line,status}    the connection is made, "#54" sent
  config {title,...}         the server's session configuration arrived
  bulletin {html}            the login bulletin page
  update_offer {server_version,local_version}
  main {account,user_type,expiry,status}   logged in
  lists {today,history}      answer to "lists": rows top first, 8 texts each
  lists_reset {today,history}              both lists refilled (row counts)
  row_inserted / row_changed {list,row,cells}, row_removed {list,row}
  popup {kind,fragment}      the popup window would open
  login_form {account}       the login form took new credentials
  retrieved_password {password}
  offline {text}             forced logout or membership ended; then exit
  closed                     the connection ended; then exit
  error {text}               an unusable command line

Exit status: 0 when the session ended (connection closed, forced offline,
"quit", end of input); 2 when the connection could not be made; 1 for bad
usage (an unusable --ca-file included). A TLS connection that cannot be
set up (certificate refused, a server that does not speak TLS, no
handshake within 10 s) is a connection not made: status 2, the reason on
standard error. Diagnostics go to standard error.
)";
}

}  // namespace lanzhou::cli
