#include "server/commands/content_commands.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "server/commands/option_values.h"

namespace lanzhou::server {

const std::string_view kAlertHelp =
    R"(Usage: lanzhou-server alert ACTION --db FILE [options]

  alert publish --code C --name N --operation O --buy B --sell S [--remark R]
                [--audience 0|1] [--popup 0|1] [--time "YYYY-MM-DD HH:MM:SS"]
      Publishes an alert (default audience 1, paying members; popup 1; time
      now) and prints its id. Logged-in members of the audience get it at once.
  alert update --id ID [--code C] [--name N] [--operation O] [--buy B] [--sell S]
               [--remark R] [--audience 0|1] [--popup 0|1] [--time "..."]
      Changes the given fields of an alert; the others keep their values.
  alert remove --id ID [--id ID ...]
      Removes alerts, also from the lists of logged-in members.
  alert list [--count N]
      The newest N alerts (default 50), newest first, one per line: id, time,
      audience, popup, code, name, operation, buy, sell, remark (tab-separated).

No value may contain "|", "☆" or "々".
)";

const std::string_view kNoticeHelp =
    R"(Usage: lanzhou-server notice ACTION --db FILE [options]

  notice publish --title T --body B [--stars 1-5] [--channel 0-5] [--popup 0|1]
                 [--time "YYYY-MM-DD HH:MM:SS"]
      Publishes a notice (default 1 star, channel 0, popup 1, time now) and
      prints its id. Every connected client gets it at once. The body may hold
      HTML.
  notice update --id ID [--title T] [--body B] [--stars 1-5] [--channel 0-5]
                [--popup 0|1] [--time "..."]
      Changes the given fields of a notice; the others keep their values.
  notice remove --id ID [--id ID ...] --channel K
      Removes notices of channel K (0 to 5).

No value may contain "|", "☆" or "々".
)";

namespace {

using Field = OptionValues::Field;

constexpr std::int64_t kDefaultListCount = 50;
constexpr std::int64_t kMaxListCount = 100000;
constexpr std::int64_t kMaxId = 999999999999999999;

// Reads the optional alert fields over `alert`; false when one is wrong.
bool readAlertFields(OptionValues& values, protocol::AlertRecord& alert) {
    const std::initializer_list<std::pair<std::string_view, std::string*>> texts = {
        {"--code", &alert.code}, {"--name", &alert.name}, {"--operation", &alert.operation},
        {"--buy", &alert.buy},   {"--sell", &alert.sell}, {"--remark", &alert.remark},
    };
    for (const auto& [key, target] : texts) {
        if (auto text = values.text(key, Field::Content)) {
            *target = std::move(*text);
        }
    }
    if (const auto audience = values.number("--audience", 0, 1)) {
        alert.audience = std::to_string(*audience);
    }
    if (const auto popup = values.number("--popup", 0, 1)) {
        alert.popup = std::to_string(*popup);
    }
    if (const auto time = values.dateTime("--time")) {
        alert.time = protocol::formatDateTime(*time);
    }
    return !values.failed();
}

bool readNoticeFields(OptionValues& values, protocol::NoticeRecord& notice) {
    if (auto title = values.text("--title", Field::Content)) {
        notice.title = std::move(*title);
    }
    if (auto body = values.text("--body", Field::Content)) {
        notice.body = std::move(*body);
    }
    if (const auto stars = values.number("--stars", 1, 5)) {
        notice.stars = std::to_string(*stars);
    }
    if (const auto channel = values.number("--channel", 0, 5)) {
        notice.channel = std::to_string(*channel);
    }
    if (const auto popup = values.number("--popup", 0, 1)) {
        notice.popup = std::to_string(*popup);
    }
    if (const auto time = values.dateTime("--time")) {
        notice.time = protocol::formatDateTime(*time);
    }
    return !values.failed();
}

// The --id values (at least one) as decimal ids.
std::vector<std::string> readIds(OptionValues& values) {
    std::vector<std::string> ids;
    if (values.require("--id")) {
        for (const std::int64_t id : values.numbers("--id", 1, kMaxId)) {
            ids.push_back(std::to_string(id));
        }
    }
    return ids;
}

int publishAlert(const CommandContext& context) {
    const std::string problem =
        context.options.check({"--db", "--code", "--name", "--operation", "--buy", "--sell",
                               "--remark", "--audience", "--popup", "--time"});
    protocol::AlertRecord alert;
    const auto read = [&](OptionValues& values) {
        for (const std::string_view key : {"--code", "--name", "--operation", "--buy", "--sell"}) {
            values.require(key);
        }
        alert.audience = "1";
        alert.popup = "1";
        alert.time = protocol::formatDateTime(localNow());
        return readAlertFields(values, alert);
    };
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        const auto published = storage.publishAlert(alert);
        if (!published) {
            return reportFailure(context, "the alert could not be written");
        }
        context.out << published->id << '\n';
        return kCommandOk;
    });
}

int updateAlert(const CommandContext& context) {
    const std::string problem =
        context.options.check({"--db", "--id", "--code", "--name", "--operation", "--buy", "--sell",
                               "--remark", "--audience", "--popup", "--time"});
    std::optional<std::int64_t> id;
    const auto read = [&](OptionValues& values) {
        values.require("--id");
        id = values.number("--id", 1, kMaxId);
        protocol::AlertRecord changes;
        return readAlertFields(values, changes) && id;
    };
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        auto alert = storage.findAlert(std::to_string(*id));
        if (!alert) {
            return reportFailure(context, "no alert " + std::to_string(*id));
        }
        // The same reading over the stored alert keeps what was not given.
        OptionValues again(context.options);
        readAlertFields(again, *alert);
        if (!storage.updateAlert(*alert)) {
            return reportFailure(context, "the alert " + alert->id + " could not be written");
        }
        context.out << "changed alert " << alert->id << '\n';
        return kCommandOk;
    });
}

int removeAlerts(const CommandContext& context) {
    std::vector<std::string> ids;
    const auto read = [&](OptionValues& values) {
        ids = readIds(values);
        return !values.failed();
    };
    const std::string problem = context.options.check({"--db", "--id"}, {"--id"});
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        if (!storage.removeAlerts(ids)) {
            return reportFailure(context,
                                 "none of the alerts exists (or they could not be removed)");
        }
        context.out << "removed\n";
        return kCommandOk;
    });
}

int listAlerts(const CommandContext& context) {
    std::int64_t count = kDefaultListCount;
    const auto read = [&](OptionValues& values) {
        count = values.number("--count", 1, kMaxListCount).value_or(kDefaultListCount);
        return !values.failed();
    };
    const std::string problem = context.options.check({"--db", "--count"});
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        for (const auto& alert : storage.listAlerts(static_cast<std::int32_t>(count))) {
            context.out << alert.id << '\t' << alert.time << '\t' << alert.audience << '\t'
                        << alert.popup << '\t' << shown(alert.code) << '\t' << shown(alert.name)
                        << '\t' << shown(alert.operation) << '\t' << shown(alert.buy) << '\t'
                        << shown(alert.sell) << '\t' << shown(alert.remark) << '\n';
        }
        return kCommandOk;
    });
}

int publishNotice(const CommandContext& context) {
    const std::string problem = context.options.check(
        {"--db", "--title", "--body", "--stars", "--channel", "--popup", "--time"});
    protocol::NoticeRecord notice;
    const auto read = [&](OptionValues& values) {
        values.require("--title");
        values.require("--body");
        notice.stars = "1";
        notice.channel = "0";
        notice.popup = "1";
        notice.time = protocol::formatDateTime(localNow());
        return readNoticeFields(values, notice);
    };
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        const auto published = storage.publishNotice(notice);
        if (!published) {
            return reportFailure(context, "the notice could not be written");
        }
        context.out << published->id << '\n';
        return kCommandOk;
    });
}

int updateNotice(const CommandContext& context) {
    const std::string problem = context.options.check(
        {"--db", "--id", "--title", "--body", "--stars", "--channel", "--popup", "--time"});
    std::optional<std::int64_t> id;
    const auto read = [&](OptionValues& values) {
        values.require("--id");
        id = values.number("--id", 1, kMaxId);
        protocol::NoticeRecord changes;
        return readNoticeFields(values, changes) && id;
    };
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        auto notice = storage.findNotice(std::to_string(*id));
        if (!notice) {
            return reportFailure(context, "no notice " + std::to_string(*id));
        }
        OptionValues again(context.options);
        readNoticeFields(again, *notice);
        if (!storage.updateNotice(*notice)) {
            return reportFailure(context, "the notice " + notice->id + " could not be written");
        }
        context.out << "changed notice " << notice->id << '\n';
        return kCommandOk;
    });
}

int removeNotices(const CommandContext& context) {
    std::vector<std::string> ids;
    std::optional<std::int64_t> channel;
    const auto read = [&](OptionValues& values) {
        ids = readIds(values);
        values.require("--channel");
        channel = values.number("--channel", 0, 5);
        return !values.failed() && channel;
    };
    const std::string problem = context.options.check({"--db", "--id", "--channel"}, {"--id"});
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        if (!storage.removeNotices(ids, std::to_string(*channel))) {
            return reportFailure(context, "none of the notices exists in channel " +
                                              std::to_string(*channel) +
                                              " (or they could not be removed)");
        }
        context.out << "removed\n";
        return kCommandOk;
    });
}

}  // namespace

int runAlertCommand(const CommandContext& context) {
    if (context.action == "publish") {
        return publishAlert(context);
    }
    if (context.action == "update") {
        return updateAlert(context);
    }
    if (context.action == "remove") {
        return removeAlerts(context);
    }
    if (context.action == "list") {
        return listAlerts(context);
    }
    return reportUsage(context, "unknown action \"" + std::string(context.action) + "\"");
}

int runNoticeCommand(const CommandContext& context) {
    if (context.action == "publish") {
        return publishNotice(context);
    }
    if (context.action == "update") {
        return updateNotice(context);
    }
    if (context.action == "remove") {
        return removeNotices(context);
    }
    return reportUsage(context, "unknown action \"" + std::string(context.action) + "\"");
}

}  // namespace lanzhou::server
