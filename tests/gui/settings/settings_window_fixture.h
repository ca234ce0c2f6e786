#pragma once

#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/core/client_session.h"
#include "client/core/setting_changes.h"
#include "client/settings/settings_window.h"
#include "config/config_file.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/scoped_env.h"
#include "tests/gui/support/widget_lookup.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::test {

// One settings window per test over a real session and a real k_config.ini
// in a temporary run directory, and the desktop's autostart folder in a
// temporary configuration home. The open-file dialog is answered from
// `answers` (empty answer: cancelled) and every request is recorded.
class SettingsWindowTest : public ::testing::Test {
protected:
    struct FileRequest {
        QString caption;
        QString folder;
        QString filter;
    };

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(config.ensure());
        session.runDirectory = runDirectory();
    }

    // Opens (shows) the window over the session as it is now.
    void open() {
        settings::SettingsWindow::Context context{
            session,
            changes,
            runDirectory(),
            [this] { return mainWindowExists; },
            [this] { ++labelRefreshes; },
            [this](QWidget*, const QString& caption, const QString& folder, const QString& filter) {
                fileRequests.push_back({caption, folder, filter});
                if (answers.empty()) {
                    return QString();
                }
                QString answer = answers.front();
                answers.pop_front();
                return answer;
            },
            {},  // the desktop's own autostart entry, in the temporary home
            {}};
        window = std::make_unique<settings::SettingsWindow>(frame, prompts, std::move(context));
        window->show();
    }

    template <typename T = QWidget>
    T* component(const char* name) {
        return child<T>(window.get(), QString::fromUtf8(name));
    }

    std::filesystem::path runPath() const { return platform::pathFromGbk(runDirectory()); }
    std::string runDirectory() const {
        return platform::gbkFromPath(std::filesystem::path(m_dir.path().toStdU16String()));
    }
    // A path of the run directory as the file dialog gives it.
    QString runFile(const QString& name) const { return m_dir.filePath(name); }
    std::string configBytes() const { return platform::readFile(config.path()).value_or(""); }

    QTemporaryDir m_dir;
    QTemporaryDir m_configHome;
    ScopedEnv m_configHomeVariable{"XDG_CONFIG_HOME", m_configHome.path().toUtf8()};
    config::ConfigFile config{std::filesystem::path(m_dir.path().toStdU16String()) /
                              "k_config.ini"};
    core::ClientSession session;
    core::SettingChanges changes{session, config};
    skin::SkinFrame frame;
    RecordingPrompts prompts;
    bool mainWindowExists = false;
    int labelRefreshes = 0;
    std::vector<FileRequest> fileRequests;
    std::deque<QString> answers;
    std::unique_ptr<settings::SettingsWindow> window;
};

}  // namespace lanzhou::test
