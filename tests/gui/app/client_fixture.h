#pragma once

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/account/login_window.h"
#include "client/app/desktop_client.h"
#include "config/config_file.h"
#include "platform/paths.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/fake_service.h"

namespace lanzhou::test {

// The whole client against a scripted service in a temporary run directory,
// with recorded prompts and a recorded end. Windows opened modally are
// reached with whenModalOpens.
class RunningClient : public ::testing::Test {
protected:
    static constexpr int kWait = 15'000;

    void start(FakeServiceScript script = demoScript(),
               std::chrono::milliseconds expiryPeriod = std::chrono::seconds(10)) {
        m_service = std::make_unique<FakeService>(std::move(script));
        auto options = clientOptions(m_run, m_service->port(), &m_prompts,
                                     [this](int code) { m_exitCode = code; });
        options.expiryCheckPeriod = expiryPeriod;
        options.startUpdater = [this](const update::UpdaterLaunch& launch) {
            m_launches.push_back(launch);
        };
        options.programInRunDirectory = m_programInRunDirectory;
        m_client = std::make_unique<app::DesktopClient>(std::move(options));
        ASSERT_TRUE(m_client->start());
        // The handshake done: the login window has its configuration.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_client->core().session().webPages == m_service->script().pages; },
            kWait));
    }

    std::string runDirectory() const { return platform::gbkFromPath(m_run.path().toStdString()); }
    config::ConfigFile config() const {
        return config::ConfigFile(m_run.path().toStdString() + "/k_config.ini");
    }

    account::LoginWindow& login() { return *m_client->loginWindow(); }

    // A left click on one of the login window's link labels.
    void clickLabel(const char* name) {
        QTest::mouseClick(child<QLabel>(&login(), QString::fromUtf8(name)), Qt::LeftButton);
    }

    // Whether the service has received exactly this request.
    bool received(const std::string& request) {
        return QTest::qWaitFor(
            [&] {
                for (const auto& text : m_service->server().received()) {
                    if (text == request) {
                        return true;
                    }
                }
                return false;
            },
            kWait);
    }

    QTemporaryDir m_run;
    RecordingPrompts m_prompts;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<app::DesktopClient> m_client;
    std::optional<int> m_exitCode;
    std::vector<update::UpdaterLaunch> m_launches;
    bool m_programInRunDirectory = true;
};

}  // namespace lanzhou::test
