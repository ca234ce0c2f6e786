#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "client/display/main_window.h"
#include "tests/gui/app/client_fixture.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::test {

// The running client as a member without a mouse reaches it: logged in with
// the demo account, caption buttons pressed where the frame draws them.
class AccessClient : public RunningClient {
protected:
    void logIn() {
        child<QLineEdit>(&login(), "登陆_ad1")->setText(QStringLiteral("demo"));
        child<QLineEdit>(&login(), "登陆_ad2")->setText(QStringLiteral("demo"));
        child<QPushButton>(&login(), "按钮3")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->mainWindow() != nullptr; }, kWait));
    }

    display::MainWindow& main() { return *m_client->mainWindow(); }

    void clickCaptionButton(QWidget* window, skin::CaptionButton button) {
        const auto rect = m_client->frame().captionButtonRect(window, button);
        ASSERT_TRUE(rect.has_value());
        QTest::mouseClick(window, Qt::LeftButton, {}, rect->center());
    }
};

}  // namespace lanzhou::test
