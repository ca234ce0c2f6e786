#include "operator_settings.h"

#include "server/commands/command_options.h"
#include "server/service/service_settings.h"

namespace lanzhou::server {

Result<OperatorInvocation> applyOperatorSettings(std::span<const std::string_view> args) {
    OperatorInvocation invocation;
    std::string error;
    const auto options =
        args.empty() ? std::nullopt : CommandOptions::parse(args.subspan(1), error);
    const auto config = options ? options->value("--config") : std::nullopt;
    if (!config) {
        // Nothing to apply; a wrong command line is told by the command.
        invocation.words.assign(args.begin(), args.end());
        return invocation;
    }
    if (options->values("--config").size() > 1) {
        return fail("--config given more than once");
    }
    auto settings = loadServiceSettings(std::filesystem::path(*config));
    if (!settings) {
        return fail(settings.error());
    }
    // The words again, as CommandOptions reads them: every key but --help
    // takes the next word as its value.
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        const bool key = i > 0 && word.size() > 2 && word.starts_with("--") && word != "--help";
        if (key && word == "--config") {
            ++i;
            continue;
        }
        invocation.words.emplace_back(word);
        if (key && i + 1 < args.size()) {
            invocation.words.emplace_back(args[++i]);
        }
    }
    if (!options->value("--db")) {
        if (settings->databaseLocation.empty()) {
            return fail(std::string(*config) +
                        " names no database ([database] location); give --db");
        }
        invocation.words.emplace_back("--db");
        invocation.words.push_back(settings->databaseLocation);
    }
    invocation.databasePasswordFile = settings->databasePasswordFile;
    return invocation;
}

}  // namespace lanzhou::server
