#include "server/service/service_settings.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>

#include <toml++/toml.h>

#include "platform/gbk.h"

namespace lanzhou::server {

namespace {

constexpr std::size_t kMaxBulletinFileBytes = std::size_t{1} << 20;

// 0x00BBGGRR from red, green and blue.
constexpr std::int32_t rgb(int red, int green, int blue) {
    return red | (green << 8) | (blue << 16);
}

// Reads one TOML document into ServiceSettings, stopping at the first error.
// Errors read "<source>:<line>: <key>: <what>".
class SettingsReader final {
public:
    SettingsReader(std::string sourceName, std::filesystem::path baseDirectory)
        : m_source(std::move(sourceName)), m_base(std::move(baseDirectory)) {}

    Result<ServiceSettings> read(std::string_view text) {
        ServiceSettings settings = defaultServiceSettings();
        toml::table root;
        try {
            root = toml::parse(text, m_source);
        } catch (const toml::parse_error& error) {
            return lanzhou::fail(m_source + ":" + std::to_string(error.source().begin.line) + ": " +
                                 std::string(error.description()));
        }
        if (!readRoot(root, settings)) {
            return lanzhou::fail(m_error);
        }
        return settings;
    }

private:
    using Handler = std::function<bool(const toml::node&, const std::string&)>;

    bool fail(const toml::node& node, const std::string& key, const std::string& what) {
        m_error =
            m_source + ":" + std::to_string(node.source().begin.line) + ": " + key + ": " + what;
        return false;
    }

    // Runs the handler of every key of `table`; a key without one is an error.
    bool readTable(const toml::table& table, const std::string& prefix,
                   const std::map<std::string, Handler, std::less<>>& handlers) {
        for (const auto& [key, node] : table) {
            const std::string name = prefix + std::string(key.str());
            const auto handler = handlers.find(key.str());
            if (handler == handlers.end()) {
                return fail(node, name, "unknown key");
            }
            if (!handler->second(node, name)) {
                return false;
            }
        }
        return true;
    }

    // A text sent to the clients: no field separator, and only characters
    // that GBK can hold.
    bool text(const toml::node& node, const std::string& key, std::string& out) {
        const auto* value = node.as_string();
        if (value == nullptr) {
            return fail(node, key, "expected a string");
        }
        return convertedText(node, key, value->get(), out);
    }

    bool convertedText(const toml::node& node, const std::string& key, const std::string& utf8,
                       std::string& out) {
        if (utf8.find('|') != std::string::npos) {
            return fail(node, key, "must not contain \"|\"");
        }
        std::string gbk = platform::gbkFromUtf8(utf8);
        if (platform::utf8FromGbk(gbk) != utf8) {
            return fail(node, key, "holds characters that GBK cannot represent");
        }
        out = std::move(gbk);
        return true;
    }

    bool integer(const toml::node& node, const std::string& key, std::int64_t low,
                 std::int64_t high, std::int64_t& out) {
        const auto* value = node.as_integer();
        if (value == nullptr) {
            return fail(node, key, "expected an integer");
        }
        if (value->get() < low || value->get() > high) {
            return fail(node, key,
                        "must be from " + std::to_string(low) + " to " + std::to_string(high));
        }
        out = value->get();
        return true;
    }

    bool int32(const toml::node& node, const std::string& key, std::int64_t low, std::int64_t high,
               std::int32_t& out) {
        std::int64_t value = 0;
        if (!integer(node, key, low, high, value)) {
            return false;
        }
        out = static_cast<std::int32_t>(value);
        return true;
    }

    bool size(const toml::node& node, const std::string& key, std::int64_t low, std::int64_t high,
              std::size_t& out) {
        std::int64_t value = 0;
        if (!integer(node, key, low, high, value)) {
            return false;
        }
        out = static_cast<std::size_t>(value);
        return true;
    }

    bool flag(const toml::node& node, const std::string& key, bool& out) {
        const auto* value = node.as_boolean();
        if (value == nullptr) {
            return fail(node, key, "expected true or false");
        }
        out = value->get();
        return true;
    }

    // "#RRGGBB", or the integer the clients receive (0x00BBGGRR).
    bool colour(const toml::node& node, const std::string& key, std::int32_t& out) {
        if (node.is_integer()) {
            return int32(node, key, 0, 0xFFFFFF, out);
        }
        const auto* value = node.as_string();
        const auto hex = [](char c) {
            if (c >= '0' && c <= '9') {
                return c - '0';
            }
            if (c >= 'a' && c <= 'f') {
                return c - 'a' + 10;
            }
            if (c >= 'A' && c <= 'F') {
                return c - 'A' + 10;
            }
            return -1;
        };
        if (value == nullptr || value->get().size() != 7 || value->get()[0] != '#') {
            return fail(node, key, "expected a colour \"#RRGGBB\" or an integer");
        }
        int parts[3] = {};
        for (int i = 0; i < 3; ++i) {
            const int high = hex(value->get()[1 + 2 * i]);
            const int low = hex(value->get()[2 + 2 * i]);
            if (high < 0 || low < 0) {
                return fail(node, key, "expected a colour \"#RRGGBB\" or an integer");
            }
            parts[i] = high * 16 + low;
        }
        out = rgb(parts[0], parts[1], parts[2]);
        return true;
    }

    // "HOST:PORT", the host possibly an IPv6 address in brackets.
    bool listenAddress(const toml::node& node, const std::string& key, std::string& out) {
        const auto* value = node.as_string();
        if (value == nullptr) {
            return fail(node, key, "expected a string \"HOST:PORT\"");
        }
        const std::string& text = value->get();
        const std::size_t colon = text.rfind(':');
        const std::string port = colon == std::string::npos ? "" : text.substr(colon + 1);
        bool portValid = !port.empty() && port.size() <= 5;
        for (const char c : port) {
            portValid = portValid && c >= '0' && c <= '9';
        }
        // An IPv6 host is written in brackets, so its colons are not taken
        // for the port's.
        const std::string host = colon == std::string::npos ? "" : text.substr(0, colon);
        const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
        const bool hostValid =
            !host.empty() && (bracketed || host.find_first_of(":[]") == std::string::npos);
        if (!hostValid || !portValid || std::stoi(port) > 65535) {
            return fail(node, key, "expected \"HOST:PORT\" with a port from 0 to 65535");
        }
        out = text;
        return true;
    }

    bool readRoot(const toml::table& root, ServiceSettings& s) {
        return readTable(
            root, "",
            {
                {"listen",
                 [&](const toml::node& n, const std::string& k) {
                     s.listenGiven = true;
                     return listenAddress(n, k, s.listen);
                 }},
                {"alert_list_count",
                 [&](const toml::node& n, const std::string& k) {
                     return int32(n, k, 0, 100000, s.alertListCount);
                 }},
                {"one_account_per_computer",
                 [&](const toml::node& n, const std::string& k) {
                     return flag(n, k, s.oneAccountPerComputer);
                 }},
                {"max_request_bytes",
                 [&](const toml::node& n, const std::string& k) {
                     return size(n, k, 256, std::int64_t{1} << 20, s.maxRequestBytes);
                 }},
                {"max_queued_bytes",
                 [&](const toml::node& n, const std::string& k) {
                     return size(n, k, std::int64_t{64} << 10, std::int64_t{1} << 30,
                                 s.maxQueuedBytes);
                 }},
                {"version",
                 [&](const toml::node& n, const std::string& k) { return readVersion(n, k, s); }},
                {"client",
                 [&](const toml::node& n, const std::string& k) { return readClient(n, k, s); }},
                {"bulletin",
                 [&](const toml::node& n, const std::string& k) { return readBulletin(n, k, s); }},
                {"channel", [&](const toml::node& n,
                                const std::string& k) { return readChannels(n, k, s.channels); }},
                {"web_page", [&](const toml::node& n,
                                 const std::string& k) { return readWebPages(n, k, s.webPages); }},
                {"tls",
                 [&](const toml::node& n, const std::string& k) { return readTls(n, k, s); }},
                {"database",
                 [&](const toml::node& n, const std::string& k) { return readDatabase(n, k, s); }},
            });
    }

    // The database and its password file are opened with the database;
    // here they are only named, relative to the settings file's directory.
    bool readDatabase(const toml::node& node, const std::string& key, ServiceSettings& s) {
        const toml::table* table = subtable(node, key);
        return table != nullptr &&
               readTable(*table, key + ".",
                         {
                             {"location",
                              [&](const toml::node& n, const std::string& k) {
                                  return databaseLocation(n, k, s.databaseLocation);
                              }},
                             {"password_file",
                              [&](const toml::node& n, const std::string& k) {
                                  const auto* value = n.as_string();
                                  if (value == nullptr || value->get().empty()) {
                                      return fail(n, k, "expected a file name");
                                  }
                                  s.databasePasswordFile =
                                      m_base / std::filesystem::path(value->get());
                                  return true;
                              }},
                         });
    }

    // An address ("postgresql://...") is kept as it is; a file is taken
    // relative to the settings file's directory.
    bool databaseLocation(const toml::node& node, const std::string& key, std::string& out) {
        const auto* value = node.as_string();
        if (value == nullptr || value->get().empty()) {
            return fail(node, key, "expected a file name or a PostgreSQL URI");
        }
        const std::string& text = value->get();
        out = text.find("://") != std::string::npos
                  ? text
                  : (m_base / std::filesystem::path(text)).string();
        return true;
    }

    const toml::table* subtable(const toml::node& node, const std::string& key) {
        const toml::table* table = node.as_table();
        if (table == nullptr) {
            fail(node, key, "expected a table");
        }
        return table;
    }

    bool readVersion(const toml::node& node, const std::string& key, ServiceSettings& s) {
        const toml::table* table = subtable(node, key);
        return table != nullptr &&
               readTable(*table, key + ".",
                         {
                             {"current",
                              [&](const toml::node& n, const std::string& k) {
                                  return int32(n, k, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max(),
                                               s.version.serverVersion);
                              }},
                             {"update_source",
                              [&](const toml::node& n, const std::string& k) {
                                  return updateSource(n, k, s.version.updateArgument);
                              }},
                         });
    }

    // The update source travels on the updater's command line between
    // blanks, so it cannot hold one.
    bool updateSource(const toml::node& node, const std::string& key, std::string& out) {
        if (!text(node, key, out)) {
            return false;
        }
        if (out.find_first_of(" \t\r\n") != std::string::npos) {
            return fail(node, key, "must not contain blanks");
        }
        return true;
    }

    bool readClient(const toml::node& node, const std::string& key, ServiceSettings& s) {
        const toml::table* table = subtable(node, key);
        if (table == nullptr) {
            return false;
        }
        protocol::SessionConfig& c = s.session;
        const auto colourOf = [&](std::int32_t& out) {
            return [&, target = &out](const toml::node& n, const std::string& k) {
                return colour(n, k, *target);
            };
        };
        const auto flagOf = [&](bool& out) {
            return [&, target = &out](const toml::node& n, const std::string& k) {
                return flag(n, k, *target);
            };
        };
        const auto textOf = [&](std::string& out) {
            return [&, target = &out](const toml::node& n, const std::string& k) {
                return text(n, k, *target);
            };
        };
        return readTable(
            *table, key + ".",
            {
                {"product_title", textOf(c.productTitle)},
                {"label_colour", colourOf(c.labelColour)},
                {"title_colour", colourOf(c.titleColour)},
                {"time_colour", colourOf(c.timeColour)},
                {"star_colour", colourOf(c.starColour)},
                {"body_colour", colourOf(c.bodyColour)},
                {"rule_colour", colourOf(c.ruleColour)},
                {"font_size",
                 [&](const toml::node& n, const std::string& k) {
                     if (n.is_integer()) {
                         std::int32_t points = 0;
                         if (!int32(n, k, 1, 200, points)) {
                             return false;
                         }
                         c.fontSize = std::to_string(points);
                         return true;
                     }
                     return text(n, k, c.fontSize);
                 }},
                {"indent", [&](const toml::node& n,
                               const std::string& k) { return int32(n, k, 0, 100, c.indent); }},
                {"registration_closed", flagOf(c.registrationClosed)},
                {"registration_flag", flagOf(c.registrationFlag)},
                {"machine_binding", flagOf(c.machineBinding)},
                {"refuse_unpaid", flagOf(c.refuseUnpaid)},
                {"login_bulletin_hidden", flagOf(c.loginBulletinHidden)},
                {"popup_close_ticks",
                 [&](const toml::node& n, const std::string& k) {
                     return int32(n, k, 0, 86400, c.popupCloseTicks);
                 }},
                // The server closes a connection silent for three periods,
                // so a period of 0 (no keep-alive) cannot work.
                {"heartbeat_seconds",
                 [&](const toml::node& n, const std::string& k) {
                     return int32(n, k, 1, 3600, c.heartbeatSeconds);
                 }},
                {"support_qq", textOf(c.supportQq)},
                {"support_shop_chat", textOf(c.supportShopChat)},
            });
    }

    bool readBulletin(const toml::node& node, const std::string& key, ServiceSettings& s) {
        const toml::table* table = subtable(node, key);
        if (table == nullptr) {
            return false;
        }
        if (table->contains("html") && table->contains("html_file")) {
            return fail(node, key, "give either html or html_file, not both");
        }
        return readTable(
            *table, key + ".",
            {
                {"html", [&](const toml::node& n,
                             const std::string& k) { return text(n, k, s.bulletinHtml); }},
                {"html_file",
                 [&](const toml::node& n, const std::string& k) {
                     return bulletinFile(n, k, s.bulletinHtml);
                 }},
            });
    }

    // A UTF-8 HTML file, relative to the settings file's directory.
    bool bulletinFile(const toml::node& node, const std::string& key, std::string& out) {
        const auto* value = node.as_string();
        if (value == nullptr) {
            return fail(node, key, "expected a file name");
        }
        const std::filesystem::path file = m_base / std::filesystem::path(value->get());
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            return fail(node, key, "cannot read " + file.string());
        }
        std::string content;
        char buffer[8192];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            content.append(buffer, static_cast<std::size_t>(in.gcount()));
            if (content.size() > kMaxBulletinFileBytes) {
                return fail(node, key, file.string() + " is larger than 1 MiB");
            }
        }
        if (in.bad()) {
            return fail(node, key, "cannot read " + file.string());
        }
        return convertedText(node, key, content, out);
    }

    const toml::array* tableArray(const toml::node& node, const std::string& key) {
        const toml::array* array = node.as_array();
        if (array == nullptr || !array->is_array_of_tables()) {
            fail(node, key, "expected [[" + key + "]] tables");
            return nullptr;
        }
        if (array->size() > 6) {
            fail(node, key, "at most 6 entries");
            return nullptr;
        }
        return array;
    }

    bool readChannels(const toml::node& node, const std::string& key,
                      protocol::ChannelTable& channels) {
        const toml::array* array = tableArray(node, key);
        if (array == nullptr) {
            return false;
        }
        for (std::size_t i = 0; i < array->size(); ++i) {
            protocol::ChannelConfig& channel = channels[i];
            if (!readTable(
                    *(*array)[i].as_table(), key + "[" + std::to_string(i) + "].",
                    {
                        {"name", [&](const toml::node& n,
                                     const std::string& k) { return text(n, k, channel.name); }},
                        {"open_to_free_users",
                         [&](const toml::node& n, const std::string& k) {
                             return flag(n, k, channel.openToFreeUsers);
                         }},
                        {"disabled",
                         [&](const toml::node& n, const std::string& k) {
                             return flag(n, k, channel.disabled);
                         }},
                    })) {
                return false;
            }
        }
        return true;
    }

    bool readWebPages(const toml::node& node, const std::string& key,
                      protocol::WebPageTable& pages) {
        const toml::array* array = tableArray(node, key);
        if (array == nullptr) {
            return false;
        }
        for (std::size_t i = 0; i < array->size(); ++i) {
            protocol::WebPageConfig& page = pages[i];
            page = protocol::WebPageConfig{};  // a configured page is shown unless hidden
            if (!readTable(
                    *(*array)[i].as_table(), key + "[" + std::to_string(i) + "].",
                    {
                        {"name", [&](const toml::node& n,
                                     const std::string& k) { return text(n, k, page.name); }},
                        {"address", [&](const toml::node& n,
                                        const std::string& k) { return text(n, k, page.address); }},
                        {"open_to_free_users",
                         [&](const toml::node& n, const std::string& k) {
                             return flag(n, k, page.openToFreeUsers);
                         }},
                        {"hidden", [&](const toml::node& n,
                                       const std::string& k) { return flag(n, k, page.hidden); }},
                    })) {
                return false;
            }
        }
        return true;
    }

    // [tls]: every key is needed; the files are read when the server starts.
    bool readTls(const toml::node& node, const std::string& key, ServiceSettings& s) {
        const toml::table* table = subtable(node, key);
        if (table == nullptr) {
            return false;
        }
        TlsSettings tls;
        const auto fileOf = [&](std::filesystem::path& out) {
            return [&, target = &out](const toml::node& n, const std::string& k) {
                return filePath(n, k, *target);
            };
        };
        if (!readTable(*table, key + ".",
                       {
                           {"listen",
                            [&](const toml::node& n, const std::string& k) {
                                return listenAddress(n, k, tls.listen);
                            }},
                           {"certificate", fileOf(tls.certificate)},
                           {"key", fileOf(tls.key)},
                       })) {
            return false;
        }
        if (tls.listen.empty() || tls.certificate.empty() || tls.key.empty()) {
            return fail(node, key, "needs listen, certificate and key");
        }
        s.tls = std::move(tls);
        return true;
    }

    // A file named relative to the settings file's directory.
    bool filePath(const toml::node& node, const std::string& key, std::filesystem::path& out) {
        const auto* value = node.as_string();
        if (value == nullptr || value->get().empty()) {
            return fail(node, key, "expected a file name");
        }
        out = m_base / std::filesystem::path(value->get());
        return true;
    }

    std::string m_source;
    std::filesystem::path m_base;
    std::string m_error;
};

}  // namespace

ServiceSettings defaultServiceSettings() {
    ServiceSettings settings;
    settings.version = {1, ""};

    protocol::SessionConfig& c = settings.session;
    c.productTitle = platform::gbkFromUtf8("澜舟智投");
    c.labelColour = rgb(0x33, 0x33, 0x33);
    c.titleColour = rgb(0xCC, 0x00, 0x00);
    c.timeColour = rgb(0x66, 0x66, 0x66);
    c.starColour = rgb(0xFF, 0x99, 0x00);
    c.bodyColour = rgb(0x00, 0x00, 0x00);
    c.ruleColour = rgb(0x33, 0x66, 0xCC);
    c.fontSize = "12";
    c.indent = 4;
    c.popupCloseTicks = 8;
    c.heartbeatSeconds = 30;
    c.unused28 = "0";

    settings.bulletinHtml = platform::gbkFromUtf8("<p>欢迎使用澜舟智投。</p>");

    for (std::size_t i = 0; i < settings.channels.size(); ++i) {
        settings.channels[i].name = platform::gbkFromUtf8("栏目" + std::to_string(i + 1));
    }
    settings.channels[0].openToFreeUsers = true;

    for (protocol::WebPageConfig& page : settings.webPages) {
        page.hidden = true;
    }
    return settings;
}

Result<ServiceSettings> parseServiceSettings(std::string_view tomlText) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::current_path(error);
    return SettingsReader("settings", error ? std::filesystem::path(".") : std::move(base))
        .read(tomlText);
}

Result<ServiceSettings> loadServiceSettings(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return fail(file.string() + ": cannot read the file");
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        return fail(file.string() + ": cannot read the file");
    }
    return SettingsReader(file.string(), file.parent_path()).read(content.str());
}

}  // namespace lanzhou::server
