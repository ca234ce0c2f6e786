#include "tests/support/fake_service.h"

#include <algorithm>
#include <utility>

#include "platform/gbk.h"
#include "protocol/gbk_text.h"
#include "tests/support/local_clock.h"

namespace lanzhou::test {

namespace {

constexpr std::int64_t kDay = 86'400;

std::string G(std::string_view utf8) {
    return platform::gbkFromUtf8(utf8);
}

bool isHandshake(std::string_view code) {
    using namespace protocol::request;
    return code == kVersion || code == kSessionConfig || code == kBulletin || code == kServerTime ||
           code == kChannels || code == kWebPages;
}

protocol::AlertRecord demoAlert(std::string id, const protocol::DateTime& time,
                                std::string_view code, std::string_view name,
                                std::string_view operation, std::string_view buy,
                                std::string_view sell, std::string_view remark,
                                std::string audience) {
    return {std::move(id),       protocol::formatDateTime(time),
            std::string(code),   G(name),
            G(operation),        std::string(buy),
            std::string(sell),   G(remark),
            std::move(audience), "1"};
}

}  // namespace

FakeServiceScript demoScript() {
    FakeServiceScript script;
    script.now = localNow();
    const protocol::DateTime today{script.now.year, script.now.month, script.now.day, 0, 0, 0};
    const protocol::DateTime yesterday = today.plusSeconds(-kDay);
    const auto earlierToday = [&](std::int64_t seconds) {
        return std::max(today, script.now.plusSeconds(-seconds));
    };

    auto& config = script.config;
    config.productTitle = G("澜舟演示");
    config.labelColour = 0x000000;
    config.titleColour = 0x0000FF;
    config.timeColour = 0x808080;
    config.starColour = 0x00A5FF;
    config.bodyColour = 0x000000;
    config.ruleColour = 0xC0C0C0;
    config.fontSize = "12px";
    config.indent = 4;
    config.popupCloseTicks = 5;
    config.heartbeatSeconds = 30;
    config.supportQq = "10001";

    script.bulletin = G("<html><body><p>欢迎使用澜舟演示服务。</p></body></html>");

    const char* const channelNames[] = {"公告", "早评", "午评", "晚评", "操盘", "学堂"};
    for (std::size_t i = 0; i < script.channels.size(); ++i) {
        script.channels[i] = {G(channelNames[i]), i == 0, false};
    }
    script.pages[0] = {G("公司简介"), "http://127.0.0.1/about.html", true, false};
    script.pages[1] = {G("市场行情"), "http://127.0.0.1/market.html", false, false};
    const char* const hiddenPages[] = {"备用一", "备用二", "备用三", "备用四"};
    for (std::size_t i = 2; i < script.pages.size(); ++i) {
        script.pages[i] = {G(hiddenPages[i - 2]), "about:blank", false, true};
    }

    const std::string nextYear = protocol::formatDateTime(script.now.plusSeconds(365 * kDay));
    script.accounts = {{"demo", "demo", nextYear, 1, "0"},
                       {"free", "free", protocol::formatDateTime(script.now), 0, "0"}};

    script.alerts = {
        demoAlert("1001", yesterday.plusSeconds(10 * 3600 + 15 * 60), "600000", "浦发银行", "买入",
                  "10.20", "11.00", "短线关注", "1"),
        demoAlert("1002", yesterday.plusSeconds(14 * 3600 + 5 * 60), "000001", "平安银行", "观望",
                  "12.50", "13.10", "等待回调", "0"),
        demoAlert("1003", earlierToday(3600), "600519", "贵州茅台", "持有", "1700.00", "1800.00",
                  "中线持有", "1"),
        demoAlert("1004", earlierToday(600), "000858", "五粮液", "买入", "150.00", "160.00",
                  "放量突破", "0"),
        demoAlert("1005", earlierToday(300), "601318", "中国平安", "卖出", "45.00", "44.20",
                  "止盈离场", "1"),
    };

    script.answers = {{"#a1", "#a4"}, {"#a2", "#aa"}, {"#a4", "#ae"}};
    return script;
}

FakeService::FakeService(FakeServiceScript script) : FakeService(std::move(script), 0) {}

FakeService::FakeService(FakeServiceScript script, std::uint16_t port)
    : m_script(std::move(script)), m_server(port) {
    m_server.onMessage(
        [this](int connection, const std::string& text) { answer(connection, text); });
}

FakeService::FakeService(FakeServiceScript script, const FakeServer::TlsFiles& tls,
                         std::uint16_t port)
    : m_script(std::move(script)), m_server(tls, port) {
    m_server.onMessage(
        [this](int connection, const std::string& text) { answer(connection, text); });
}

int FakeService::port() const {
    return m_server.port();
}

FakeServer& FakeService::server() {
    return m_server;
}

void FakeService::publish(std::string_view text) {
    m_server.sendToAll(text);
}

void FakeService::onRequest(FakeServer::MessageHandler observer) {
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

FakeServiceScript FakeService::script() const {
    std::lock_guard lock(m_mutex);
    return m_script;
}

void FakeService::editScript(const std::function<void(FakeServiceScript&)>& edit) {
    std::lock_guard lock(m_mutex);
    edit(m_script);
}

void FakeService::reply(int connection, std::string_view request, const std::string& text,
                        std::chrono::milliseconds delay) {
    if (m_script.unanswered.count(std::string(request)) != 0) {
        return;
    }
    m_server.sendLater(connection, text, delay);
}

void FakeService::answer(int connection, const std::string& received) {
    namespace answer = protocol::answer;
    using protocol::ServerCode;
    const std::string_view text = protocol::untilZero(received);
    const std::string_view code = text.substr(0, 3);
    const auto pieces = protocol::splitPieces(text.size() > 4 ? text.substr(4) : std::string_view(),
                                              protocol::kFieldSeparator);
    const auto piece = [&](std::size_t i) {
        return i < pieces.size() ? std::string(pieces[i]) : std::string();
    };
    {
        std::lock_guard lock(m_mutex);
        auto& script = m_script;
        const auto delay = isHandshake(code) ? script.handshakeDelay : std::chrono::milliseconds{};
        const auto scripted = script.answers.find(std::string(code));
        const auto account = std::find_if(script.accounts.begin(), script.accounts.end(),
                                          [&](const auto& a) { return a.name == piece(0); });
        const bool known = account != script.accounts.end();

        if (code == protocol::request::kVersion) {
            reply(connection, code, answer::version(script.version), delay);
        } else if (code == protocol::request::kSessionConfig) {
            reply(connection, code, answer::sessionConfig(script.config), delay);
        } else if (code == protocol::request::kBulletin) {
            reply(connection, code, answer::bulletin(script.bulletin), delay);
        } else if (code == protocol::request::kServerTime) {
            reply(connection, code, answer::serverTime(script.now), delay);
        } else if (code == protocol::request::kChannels) {
            reply(connection, code, answer::channels(script.channels), delay);
        } else if (code == protocol::request::kWebPages) {
            reply(connection, code, answer::webPages(script.pages), delay);
        } else if (code == "#59") {
            const std::string_view audience = text.substr(3);
            std::vector<protocol::AlertRecord> list;
            std::copy_if(script.alerts.begin(), script.alerts.end(), std::back_inserter(list),
                         [&](const auto& alert) { return alert.audience == audience; });
            std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
                return protocol::parseDateTime(a.time) < protocol::parseDateTime(b.time);
            });
            reply(connection, code, answer::alertList(list));
        } else if (code == "#a3") {
            if (scripted != script.answers.end()) {
                reply(connection, code, scripted->second);
            } else if (known && account->password == piece(1)) {
                reply(connection, code,
                      answer::loginAccepted(
                          {account->expiry, account->userType, account->boundAdapter}));
            } else {
                reply(connection, code, answer::bare(ServerCode::LoginRefused));
            }
        } else if (code == "#a5" && scripted == script.answers.end()) {
            reply(connection, code,
                  known ? answer::retrievedPassword(account->password)
                        : answer::bare(ServerCode::UserDataWrong));
        } else if (scripted != script.answers.end() &&
                   (code == "#a1" || code == "#a2" || code == "#a4" || code == "#a5")) {
            const std::string& result = scripted->second;
            if (code == "#a1" && result == "#a4" && !known) {
                script.accounts.push_back(
                    {piece(0), piece(1), protocol::formatDateTime(script.now), 0, "0"});
            } else if (code == "#a2" && result == "#aa" && known) {
                account->userType = 1;
                account->expiry = protocol::formatDateTime(script.now.plusSeconds(365 * kDay));
            } else if (code == "#a4" && result == "#ae" && known) {
                account->password = piece(1);
            }
            reply(connection, code, result);
        }
    }
    FakeServer::MessageHandler observer;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
    }
    if (observer) {
        observer(connection, received);
    }
}

}  // namespace lanzhou::test
