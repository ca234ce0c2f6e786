#include "client/core/session_arguments.h"

#include "client/transport/tls_context.h"

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
        if (name != "--server" && name != "--run-dir" && name != "--ca-file") {
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
        } else if (name == "--ca-file") {
            if (parsed.authorityFile) {
                return fail("--ca-file given twice");
            }
            if (value->empty()) {
                return fail("--ca-file needs a file");
            }
            // Read now, so that an unusable bundle stops the start, not the
            // first TLS connection.
            const std::string file(*value);
            if (auto usable = transport::makeClientTlsContext(file); !usable) {
                return fail("--ca-file: " + usable.error());
            }
            parsed.authorityFile = file;
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
