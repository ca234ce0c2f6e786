#include "server/commands/operator_command_support.h"

#include <ctime>

#include "platform/gbk.h"
#include "server/database/open_storage.h"

namespace lanzhou::server {
namespace {

void writePrefix(const CommandContext& context) {
    context.err << "lanzhou-server " << context.group;
    if (!context.action.empty()) {
        context.err << ' ' << context.action;
    }
    context.err << ": ";
}

}  // namespace

int reportUsage(const CommandContext& context, std::string_view message) {
    writePrefix(context);
    context.err << message << " (see: lanzhou-server " << context.group << " --help)\n";
    return kCommandUsage;
}

int reportFailure(const CommandContext& context, std::string_view message) {
    writePrefix(context);
    context.err << message << '\n';
    return kCommandFailed;
}

int runOnDatabase(const CommandContext& context, std::string_view problem,
                  const std::function<bool(OptionValues&)>& read,
                  const std::function<int(Storage&)>& act) {
    if (!problem.empty()) {
        return reportUsage(context, problem);
    }
    OptionValues values(context.options);
    if (!read(values)) {
        return reportUsage(context, values.error());
    }
    const auto storage = openCommandStorage(context);
    if (!storage) {
        return kCommandFailed;
    }
    return act(*storage);
}

int runOnDatabase(const CommandContext& context, std::string_view problem,
                  const std::function<int(Storage&)>& act) {
    return runOnDatabase(
        context, problem, [](OptionValues&) { return true; }, act);
}

std::unique_ptr<Storage> openCommandStorage(const CommandContext& context) {
    auto opened = openStorage(context.options.value("--db").value_or(std::string_view{}),
                              context.databasePasswordFile);
    if (!opened) {
        reportFailure(context, "cannot open the database: " + opened.error());
        return nullptr;
    }
    return std::move(*opened);
}

protocol::DateTime localNow() {
    const std::time_t now = std::time(nullptr);
    // The commands run on one thread, so localtime's shared result is safe.
    const std::tm local = *std::localtime(&now);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string shown(std::string_view gbk) {
    return platform::utf8FromGbk(gbk);
}

}  // namespace lanzhou::server
