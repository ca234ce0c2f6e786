#include "cli/cli_arguments.h"

namespace lanzhou::cli {

namespace {

ArgumentParse failure(std::string text) {
    ArgumentParse result;
    result.error = std::move(text);
    return result;
}

}  // namespace

ArgumentParse parseArguments(const std::vector<std::string_view>& arguments) {
    CliArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            continue;
        }
        std::string_view name = argument;
        std::optional<std::string_view> value;
        if (const auto equals = argument.find('=');
            argument.starts_with("--") && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        if (name != "--server" && name != "--run-dir") {
            return failure("unknown argument: " + std::string(argument));
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                return failure(std::string(name) + " needs a value");
            }
            value = arguments[++i];
        }
        if (name == "--server") {
            if (parsed.server) {
                return failure("--server given twice");
            }
            auto endpoint = core::parseEndpoint(*value);
            if (!endpoint || endpoint->host.empty()) {
                return failure("--server wants HOST:PORT, got: " + std::string(*value));
            }
            parsed.server = std::move(*endpoint);
        } else {
            if (parsed.runDirectory) {
                return failure("--run-dir given twice");
            }
            if (value->empty()) {
                return failure("--run-dir needs a directory");
            }
            parsed.runDirectory = std::string(*value);
        }
    }
    ArgumentParse result;
    result.arguments = std::move(parsed);
    return result;
}

std::string_view usageText() {
    return R"(usage: lanzhou-cli [--server HOST:PORT] [--run-dir DIR]

Headless client of the alert service. It connects to the server line chosen
by k_config.ini in the run directory (or to --server), runs the start-up
handshake, then reads commands from standard input and prints events to
standard output, one JSON object per line (UTF-8) each.

  --server HOST:PORT  connect here instead of the configured line
  --run-dir DIR       directory of k_config.ini and ver.txt (must exist);
                      default: the directory of this program
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
usage. Diagnostics go to standard error.
)";
}

}  // namespace lanzhou::cli
