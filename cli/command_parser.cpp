#include "cli/command_parser.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <utility>

#include "platform/gbk.h"

namespace lanzhou::cli {

namespace {

using nlohmann::json;

// Reads the named string fields of a command, in order, into GBK texts.
// Returns the first field that is missing or not a string.
class FieldReader final {
public:
    explicit FieldReader(const json& object) : m_object(object) {}

    void read(const char* name, std::string& target) {
        if (const std::string* text = find(name, true)) {
            target = platform::gbkFromUtf8(*text);
        }
    }
    // The field's UTF-8 text as given; an optional one may be absent
    // (`target` then stays).
    void readUtf8(const char* name, std::string& target) {
        if (const std::string* text = find(name, true)) {
            target = *text;
        }
    }
    void readOptionalUtf8(const char* name, std::string& target) {
        if (const std::string* text = find(name, false)) {
            target = *text;
        }
    }
    // The field, one of `choices` by name.
    template <typename T, std::size_t N>
    void readChoice(const char* name, const std::pair<const char*, T> (&choices)[N], T& target) {
        const std::string* text = find(name, true);
        if (text == nullptr) {
            return;
        }
        for (const auto& [word, value] : choices) {
            if (*text == word) {
                target = value;
                return;
            }
        }
        m_error = std::string("field has no such value: ") + name;
    }

    const std::string& error() const { return m_error; }

private:
    // The field's text; nullptr, with the error set, when it is not a string
    // or is missing though `required`.
    const std::string* find(const char* name, bool required) {
        if (!m_error.empty()) {
            return nullptr;
        }
        const auto found = m_object.find(name);
        if (found == m_object.end()) {
            if (required) {
                m_error = std::string("missing field: ") + name;
            }
            return nullptr;
        }
        if (!found->is_string()) {
            m_error = std::string("field is not a string: ") + name;
            return nullptr;
        }
        return &found->get_ref<const std::string&>();
    }

    const json& m_object;
    std::string m_error;
};

template <typename T>
Result<Command> finish(const FieldReader& reader, T command) {
    if (!reader.error().empty()) {
        return fail(reader.error());
    }
    return Command(std::move(command));
}

}  // namespace

Result<Command> parseCommand(std::string_view line) {
    // No exceptions: an invalid line (including ill-formed UTF-8) gives a
    // discarded value.
    const json object = json::parse(line, nullptr, false);
    if (object.is_discarded()) {
        return fail("not valid JSON");
    }
    if (!object.is_object()) {
        return fail("not a JSON object");
    }
    const auto cmd = object.find("cmd");
    if (cmd == object.end() || !cmd->is_string()) {
        return fail("missing field: cmd");
    }
    const std::string& name = cmd->get_ref<const std::string&>();
    FieldReader reader(object);

    if (name == "login") {
        LoginCommand command;
        reader.read("account", command.fields.account);
        reader.read("password", command.fields.password);
        if (const auto remember = object.find("remember"); remember != object.end()) {
            if (!remember->is_boolean()) {
                return fail("field is not a boolean: remember");
            }
            command.remember = remember->get<bool>();
        }
        return finish(reader, std::move(command));
    }
    if (name == "register") {
        RegisterCommand command;
        reader.read("account", command.fields.account);
        reader.read("password", command.fields.password);
        reader.read("repeat", command.fields.repeat);
        reader.read("qq", command.fields.qq);
        reader.read("phone", command.fields.phone);
        return finish(reader, std::move(command));
    }
    if (name == "recharge") {
        RechargeCommand command;
        reader.read("account", command.fields.account);
        reader.read("password", command.fields.password);
        reader.read("card", command.fields.card);
        return finish(reader, std::move(command));
    }
    if (name == "change_password") {
        ChangePasswordCommand command;
        reader.read("account", command.fields.account);
        reader.read("password", command.fields.password);
        reader.read("confirm", command.fields.confirm);
        reader.read("qq", command.fields.qq);
        reader.read("phone", command.fields.phone);
        return finish(reader, std::move(command));
    }
    if (name == "retrieve_password") {
        RetrievePasswordCommand command;
        reader.read("account", command.fields.account);
        reader.read("qq", command.fields.qq);
        reader.read("phone", command.fields.phone);
        return finish(reader, std::move(command));
    }
    if (name == "lists") {
        return finish(reader, ListsCommand{});
    }
    if (name == "export") {
        static constexpr std::pair<const char*, core::ExportedLists> kLists[] = {
            {"today", core::ExportedLists::Today},
            {"history", core::ExportedLists::History},
            {"both", core::ExportedLists::Both}};
        ExportCommand command;
        reader.readChoice("list", kLists, command.lists);
        reader.readUtf8("path", command.path);
        reader.readOptionalUtf8("filter", command.filter);
        return finish(reader, std::move(command));
    }
    if (name == "quit") {
        return finish(reader, QuitCommand{});
    }
    return fail("unknown cmd: " + name);
}

}  // namespace lanzhou::cli
