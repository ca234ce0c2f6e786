#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/heartbeat.h"
#include "client/core/message_dispatcher.h"
#include "client/core/session_actions.h"
#include "config/config_file.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "protocol/date_time.h"
#include "tests/support/fake_session_view.h"
#include "tests/support/gbk_literal.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_sender.h"

namespace lanzhou::test {

// A fresh, empty run directory, removed again at the end of the test.
class TempRunDirectory final {
public:
    TempRunDirectory() {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "lanzhou-session-";
        if (info != nullptr) {
            name += info->name();
        }
        name += "-" + std::to_string(counter++);
        for (char& ch : name) {
            if (ch == '/') {
                ch = '_';
            }
        }
        m_path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempRunDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempRunDirectory(const TempRunDirectory&) = delete;
    TempRunDirectory& operator=(const TempRunDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The run directory as the client writes paths (GBK text).
    std::string gbkText() const { return platform::gbkFromPath(m_path); }

private:
    std::filesystem::path m_path;
};

// The dispatcher with the real actions on a ManualScheduler, a logging view,
// a recording sender and a real k_config.ini in a temporary run directory.
class SessionFixture : public ::testing::Test {
protected:
    SessionFixture() {
        session.runDirectory = runDirectory.gbkText();
        session.popupHint = true;
        // The server clock counts on a monotonic clock the test moves by hand.
        session.serverTime = core::ClockTick([this] { return monotonic; });
        config.ensure();
        view.watchSession(&session);
    }

    // One server message (GBK text), then everything it armed.
    void deliver(std::string_view text) {
        dispatcher.dispatch(text);
        scheduler.runAll();
    }
    // One server message; armed actions stay pending.
    void dispatchOnly(std::string_view text) { dispatcher.dispatch(text); }

    std::vector<std::string> viewCallNames() const { return view.callNames(); }
    std::vector<std::string> prompts() const {
        std::vector<std::string> texts;
        for (const auto& call : view.calls()) {
            if (call.name == "showPrompt") {
                texts.push_back(call.text);
            }
        }
        return texts;
    }

    // "#TM" as the server would send it, without the message.
    void setServerTime(const protocol::DateTime& now) { session.serverTime.start(now); }
    void advanceSeconds(int seconds) { monotonic += std::chrono::seconds(seconds); }

    void writeRunFile(std::string_view name, std::string_view bytes) const {
        ASSERT_TRUE(platform::writeFileAtomically(runDirectory.path() / name, bytes));
    }

    std::chrono::steady_clock::time_point monotonic{};
    TempRunDirectory runDirectory;
    config::ConfigFile config{runDirectory.path() / "k_config.ini"};
    core::ClientSession session;
    ManualScheduler scheduler;
    FakeSessionView view;
    RecordingSender sender;
    core::AlertListModel alerts;
    core::Heartbeat heartbeat{scheduler, sender};
    core::SessionActions actions{scheduler, session, view, config};
    std::string adapterAddress = "00-1A-2B-3C-4D-5E";
    core::MessageDispatcher dispatcher{core::DispatcherContext{session, view, actions, alerts,
                                                               sender, config, heartbeat,
                                                               [this] { return adapterAddress; }}};
};

}  // namespace lanzhou::test
