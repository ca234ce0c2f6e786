#include "server/commands/operator_commands.h"

#include <string>

#include "server/commands/account_commands.h"
#include "server/commands/command_options.h"
#include "server/commands/content_commands.h"
#include "server/commands/operator_command_support.h"
#include "server/commands/option_values.h"

namespace lanzhou::server {

const std::string_view kOperatorCommandsHelp =
    R"(Operator commands (each takes --db FILE or --db URI; GROUP --help for details):
  lanzhou-server account add|set|list ...     members' accounts
  lanzhou-server card add|list ...            recharge cards
  lanzhou-server alert publish|update|remove|list ...
  lanzhou-server notice publish|update|remove ...
  lanzhou-server kick ACCOUNT --db FILE       takes a logged-in member offline
They work while the server runs (connected clients see the change within a
second) and while it is stopped. --db takes an SQLite file or a PostgreSQL URI
(postgresql://USER@HOST:PORT/NAME); the URI holds no password (libpq's
~/.pgpass, PGPASSFILE or PGSERVICE supply it). Instead of --db, --config FILE
takes the database and its password file from the settings' [database] table.
)";

namespace {

const std::string_view kKickHelp =
    R"(Usage: lanzhou-server kick ACCOUNT --db FILE

  Takes the account's connection offline (the member is told that the
  administrator did so). The account itself is unchanged.
)";

struct Group {
    std::string_view name;
    int (*run)(const CommandContext&);
    const std::string_view* help;
};

const Group kGroups[] = {
    {"account", runAccountCommand, &kAccountHelp},
    {"card", runCardCommand, &kCardHelp},
    {"alert", runAlertCommand, &kAlertHelp},
    {"notice", runNoticeCommand, &kNoticeHelp},
};

int runKick(const CommandContext& context) {
    if (context.options.help()) {
        context.out << kKickHelp;
        return kCommandOk;
    }
    const std::string problem = context.options.check({"--db"});
    if (!problem.empty()) {
        return reportUsage(context, problem);
    }
    if (context.options.words().size() != 1) {
        return reportUsage(context, "give exactly one ACCOUNT");
    }
    // The account name is read like an option value, with the same checks.
    const std::string_view pair[] = {"--account", context.options.words().front()};
    std::string ignored;
    const auto named = CommandOptions::parse(pair, ignored);
    OptionValues values(*named);
    const auto account = values.text("--account", OptionValues::Field::Account, true);
    if (!account) {
        return reportUsage(context, values.error());
    }
    const auto storage = openCommandStorage(context);
    if (!storage) {
        return kCommandFailed;
    }
    if (!storage->kick(*account)) {
        return reportFailure(context, "no account " + shown(*account));
    }
    context.out << "kicked " << shown(*account) << '\n';
    return kCommandOk;
}

bool hasDatabase(const CommandOptions& options) {
    const auto file = options.value("--db");
    return file && !file->empty();
}

}  // namespace

bool isOperatorCommand(std::string_view word) {
    if (word == "kick") {
        return true;
    }
    for (const Group& group : kGroups) {
        if (group.name == word) {
            return true;
        }
    }
    return false;
}

int runOperatorCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                       const std::filesystem::path& databasePasswordFile) {
    if (args.empty() || !isOperatorCommand(args.front())) {
        err << "lanzhou-server: unknown command";
        if (!args.empty()) {
            err << " \"" << args.front() << '"';
        }
        err << "\n" << kOperatorCommandsHelp;
        return kCommandUsage;
    }
    const std::string_view groupName = args.front();
    const Group* group = nullptr;
    for (const Group& candidate : kGroups) {
        if (candidate.name == groupName) {
            group = &candidate;
        }
    }
    // kick has no action word: everything after it is its options.
    const bool hasAction = group != nullptr && args.size() >= 2 && !args[1].starts_with("-");
    const std::string_view action = hasAction ? args[1] : std::string_view{};
    std::string error;
    const auto options = CommandOptions::parse(args.subspan(hasAction ? 2 : 1), error);
    if (!options) {
        err << "lanzhou-server " << groupName << ": " << error << '\n';
        return kCommandUsage;
    }
    const CommandContext context{groupName, action, *options, out, err, databasePasswordFile};
    if (group == nullptr) {
        if (!options->help() && !hasDatabase(*options)) {
            return reportUsage(context, "--db FILE is required");
        }
        return runKick(context);
    }
    if (options->help()) {
        out << *group->help;
        return kCommandOk;
    }
    if (!hasAction) {
        err << *group->help;
        return kCommandUsage;
    }
    if (!options->words().empty()) {
        return reportUsage(context,
                           "unexpected word \"" + std::string(options->words().front()) + "\"");
    }
    if (!hasDatabase(*options)) {
        return reportUsage(context, "--db FILE is required");
    }
    return group->run(context);
}

}  // namespace lanzhou::server
