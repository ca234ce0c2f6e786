#include "client/core/session_arguments.h"

namespace lanzhou::core {

Result<SessionArguments> parseSessionArguments(const std::vector<std::string_view>& arguments) {
    SessionArguments parsed;
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
            return fail("unknown argument: " + std::string(argument));
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                return fail(std::string(name) + " needs a value");
            }
            value = arguments[++i];
        }
        if (name == "--server") {
            if (parsed.server) {
                return fail("--server given twice");
            }
            auto endpoint = parseEndpoint(*value);
            if (!endpoint || endpoint->host.empty()) {
                return fail("--server wants HOST:PORT, got: " + std::string(*value));
            }
            parsed.server = std::move(*endpoint);
        } else {
            if (parsed.runDirectory) {
                return fail("--run-dir given twice");
            }
            if (value->empty()) {
                return fail("--run-dir needs a directory");
            }
            parsed.runDirectory = std::string(*value);
        }
    }
    return parsed;
}

}  // namespace lanzhou::core
