#include "server/commands/account_commands.h"

#include <cstdint>
#include <optional>
#include <string>

#include "server/commands/option_values.h"

namespace lanzhou::server {

const std::string_view kAccountHelp =
    R"(Usage: lanzhou-server account ACTION --db FILE [options]

  account add --name N --password P [--qq Q] [--phone T] [--type 0|1]
              [--expiry "YYYY-MM-DD HH:MM:SS"] [--adapter A]
      Creates an account (default type 0, a free member, without expiry).
  account set --name N [--password P] [--qq Q] [--phone T] [--type 0|1]
              [--expiry "YYYY-MM-DD HH:MM:SS"] [--adapter A]
      Changes the given fields of an account; the others keep their values.
  account list
      One line per account: name, type, expiry ("-" for none), QQ, telephone,
      separated by tabs.

Type 1 is a paying member; it counts as paying until its expiry. No value
may contain "|".
)";

const std::string_view kCardHelp =
    R"(Usage: lanzhou-server card ACTION --db FILE [options]

  card add --number C --days D [--valid-until "YYYY-MM-DD HH:MM:SS"]
      Creates a recharge card worth D days (1 to 36500), usable until the
      given time (default: ten years from now).
  card list
      One line per card: number, days, valid until, "used" or "unused",
      used by, used at, separated by tabs.
)";

namespace {

using Field = OptionValues::Field;

constexpr std::int64_t kMaxCardDays = 36500;

std::string expiryText(const protocol::DateTime& expiry) {
    return expiry == protocol::DateTime::null() ? "-" : protocol::formatDateTime(expiry);
}

// Reads the optional account fields over `account`; false after a usage
// message when one is wrong.
bool readAccountFields(OptionValues& values, AccountRecord& account) {
    if (auto password = values.text("--password", Field::Account, true)) {
        account.password = std::move(*password);
    }
    if (auto qq = values.text("--qq", Field::Account)) {
        account.qq = std::move(*qq);
    }
    if (auto phone = values.text("--phone", Field::Account)) {
        account.phone = std::move(*phone);
    }
    if (auto adapter = values.text("--adapter", Field::Account)) {
        account.adapter = std::move(*adapter);
    }
    if (const auto type = values.number("--type", 0, 1)) {
        account.userType = static_cast<std::int32_t>(*type);
    }
    if (const auto expiry = values.dateTime("--expiry")) {
        account.expiry = *expiry;
    }
    return !values.failed();
}

// The options of "account add" and "account set".
std::string checkAccountOptions(const CommandContext& context) {
    return context.options.check(
        {"--db", "--name", "--password", "--qq", "--phone", "--type", "--expiry", "--adapter"});
}

int addAccount(const CommandContext& context) {
    AccountRecord account;
    const auto read = [&](OptionValues& values) {
        values.require("--name");
        values.require("--password");
        if (auto name = values.text("--name", Field::Account, true)) {
            account.name = std::move(*name);
        }
        return readAccountFields(values, account);
    };
    return runOnDatabase(context, checkAccountOptions(context), read, [&](Storage& storage) {
        if (!storage.addAccount(account)) {
            return reportFailure(context, "the account " + shown(account.name) +
                                              " exists already (or could not be written)");
        }
        context.out << "added account " << shown(account.name) << '\n';
        return kCommandOk;
    });
}

int setAccount(const CommandContext& context) {
    std::optional<std::string> name;
    const auto read = [&](OptionValues& values) {
        values.require("--name");
        name = values.text("--name", Field::Account, true);
        AccountRecord changes;
        return readAccountFields(values, changes) && name;
    };
    return runOnDatabase(context, checkAccountOptions(context), read, [&](Storage& storage) {
        auto account = storage.findAccount(*name);
        if (!account) {
            return reportFailure(context, "no account " + shown(*name));
        }
        // The same reading over the stored record keeps what was not given.
        OptionValues again(context.options);
        readAccountFields(again, *account);
        if (!storage.updateAccount(*account)) {
            return reportFailure(context, "the account " + shown(*name) + " could not be written");
        }
        context.out << "changed account " << shown(*name) << '\n';
        return kCommandOk;
    });
}

int listAccounts(const CommandContext& context) {
    return runOnDatabase(context, context.options.check({"--db"}), [&](Storage& storage) {
        for (const AccountRecord& account : storage.listAccounts()) {
            context.out << shown(account.name) << '\t' << account.userType << '\t'
                        << expiryText(account.expiry) << '\t' << shown(account.qq) << '\t'
                        << shown(account.phone) << '\n';
        }
        return kCommandOk;
    });
}

int addCard(const CommandContext& context) {
    CardRecord card;
    const auto read = [&](OptionValues& values) {
        values.require("--number");
        values.require("--days");
        if (auto number = values.text("--number", Field::Content, true)) {
            card.number = std::move(*number);
        }
        if (const auto days = values.number("--days", 1, kMaxCardDays)) {
            card.days = static_cast<std::int32_t>(*days);
        }
        const auto validUntil = values.dateTime("--valid-until");
        if (values.failed()) {
            return false;
        }
        if (validUntil) {
            card.validUntil = *validUntil;
        } else {
            card.validUntil = localNow();
            card.validUntil.year += 10;
            if (card.validUntil.month == 2 && card.validUntil.day == 29) {
                card.validUntil.day = 28;  // ten years on is not a leap year
            }
        }
        return true;
    };
    const std::string problem =
        context.options.check({"--db", "--number", "--days", "--valid-until"});
    return runOnDatabase(context, problem, read, [&](Storage& storage) {
        if (!storage.addCard(card)) {
            return reportFailure(context, "the card " + shown(card.number) +
                                              " exists already (or could not be written)");
        }
        context.out << "added card " << shown(card.number) << '\n';
        return kCommandOk;
    });
}

int listCards(const CommandContext& context) {
    return runOnDatabase(context, context.options.check({"--db"}), [&](Storage& storage) {
        for (const CardRecord& card : storage.listCards()) {
            context.out << shown(card.number) << '\t' << card.days << '\t'
                        << protocol::formatDateTime(card.validUntil) << '\t'
                        << (card.used ? "used" : "unused") << '\t' << shown(card.usedBy) << '\t'
                        << (card.used ? protocol::formatDateTime(card.usedAt) : std::string())
                        << '\n';
        }
        return kCommandOk;
    });
}

}  // namespace

int runAccountCommand(const CommandContext& context) {
    if (context.action == "add") {
        return addAccount(context);
    }
    if (context.action == "set") {
        return setAccount(context);
    }
    if (context.action == "list") {
        return listAccounts(context);
    }
    return reportUsage(context, "unknown action \"" + std::string(context.action) + "\"");
}

int runCardCommand(const CommandContext& context) {
    if (context.action == "add") {
        return addCard(context);
    }
    if (context.action == "list") {
        return listCards(context);
    }
    return reportUsage(context, "unknown action \"" + std::string(context.action) + "\"");
}

}  // namespace lanzhou::server
