#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "client/core/session_core.h"
#include "client/core/texts.h"
#include "platform/paths.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/fake_service.h"
#include "tests/support/fake_session_view.h"
#include "tests/support/gbk_literal.h"
#include "tests/support/manual_scheduler.h"
#include "ui/prompt/prompt_presenter.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {

using core::gbk;

inline constexpr int kWaitMs = 10'000;  // generous for a loaded machine

// Records the prompt texts (GBK); `whilePrompting`, when set, runs inside
// each prompt, as something the event loop does while a modal prompt is open.
class ScriptedPrompts final : public display::PromptPresenter {
public:
    void showPrompt(const std::string& text) override {
        prompts.push_back(text);
        if (whilePrompting) {
            whilePrompting();
        }
    }
    void showCountdownPrompt(const std::string& text) override { prompts.push_back(text); }
    bool confirmClose() override { return true; }

    std::vector<std::string> prompts;
    std::function<void()> whilePrompting;
};

// A real session core against the scripted fake service: what the account
// windows submit goes through the core's checks and, when they pass, out
// over TCP, where the service records it. The session thread's work waits
// on a manual scheduler until the test runs it.
class AccountWindowTest : public ::testing::Test {
protected:
    // Starts the service with `script` and opens the session ("#54" goes out).
    void start(FakeServiceScript script = demoScript()) {
        session.reset();
        service = std::make_unique<FakeService>(std::move(script));
        ASSERT_NE(service->port(), 0);
        core::SessionCore::Options options;
        options.runDirectory = platform::gbkFromPath(runDirectory.path().toStdString());
        options.serverOverride = core::Endpoint{"127.0.0.1", service->port()};
        options.adapterAddress = [this] { return adapterAddress; };
        session = std::make_unique<core::SessionCore>(scheduler, view, std::move(options));
        view.watchSession(&session->session());
        m_configsBefore = view.count("applyLoginConfig");
        ASSERT_TRUE(session->open());
    }

    // Every test starts with the demo script; a test may start again with
    // its own.
    void SetUp() override { start(); }

    // Runs the session's work until the configuration ("#55") has been
    // applied, as the handshake does before the member can open a window.
    void handshake() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                scheduler.runAll();
                return view.count("applyLoginConfig") > m_configsBefore;
            },
            kWaitMs));
    }

    // The account requests ("#a1" .. "#a5") the service received, in order.
    std::vector<std::string> formRequests() const {
        std::vector<std::string> forms;
        for (std::string& text : service->server().received()) {
            if (text.rfind("#a", 0) == 0) {
                forms.push_back(std::move(text));
            }
        }
        return forms;
    }
    // Waits until `count` account requests have arrived; returns them all.
    std::vector<std::string> waitForFormRequests(std::size_t count) const {
        if (!QTest::qWaitFor([&] { return formRequests().size() >= count; }, kWaitMs)) {
            ADD_FAILURE() << "fewer than " << count << " account requests arrived";
        }
        return formRequests();
    }

    // The component with this name under `root`.
    template <typename T = QWidget>
    static T* component(const QWidget* root, const char* name) {
        return child<T>(root, QString::fromUtf8(name));
    }
    // Types `utf8` into the named edit, replacing what it held.
    static void fill(const QWidget* root, const char* name, std::string_view utf8) {
        if (auto* edit = component<QLineEdit>(root, name)) {
            edit->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
        }
    }
    static void press(const QWidget* root, const char* name) {
        if (auto* button = component<QAbstractButton>(root, name)) {
            button->click();
        }
    }

    // One refusal after pressing `button` of `window`, with the focus on
    // `elsewhere` before: its prompt, and the focus moved to the field
    // `focus` (nullptr: left where it was) only once the prompt is closed.
    void expectRefusal(QWidget& window, const char* button, QWidget* elsewhere,
                       std::string_view text, const char* focus) {
        elsewhere->setFocus();
        prompts.prompts.clear();
        QWidget* focusDuringPrompt = nullptr;
        prompts.whilePrompting = [&] { focusDuringPrompt = window.focusWidget(); };
        press(&window, button);
        prompts.whilePrompting = nullptr;
        EXPECT_EQ(prompts.prompts, std::vector<std::string>{gbk(text)});
        EXPECT_EQ(focusDuringPrompt, elsewhere);
        EXPECT_EQ(window.focusWidget(), focus ? component(&window, focus) : elsewhere);
    }

    // `dismiss` ends `window` while it runs modally: rejected and hidden,
    // with nothing sent, so that the request `submitAfter` sends is the
    // first the service receives.
    void expectDismissedWithoutSending(QDialog& window, const std::function<void()>& dismiss,
                                       const std::function<void()>& submitAfter,
                                       const std::string& request) {
        QTimer::singleShot(0, &window, dismiss);
        EXPECT_EQ(window.exec(), QDialog::Rejected);
        EXPECT_FALSE(window.isVisible());
        submitAfter();
        EXPECT_EQ(waitForFormRequests(1), std::vector<std::string>{request});
    }

    // The success path closes a window while it runs modally, possibly while
    // one of its own prompts is open (here: the refusal of an empty form
    // after `button`); the window must neither crash nor touch itself once
    // closed or destroyed.
    template <typename Window, typename Make>
    void expectClosingFromInsideAPromptIsSafe(Make make, const char* button) {
        prompts.prompts.clear();
        {
            const std::unique_ptr<Window> window = make();
            prompts.whilePrompting = [&] { window->done(QDialog::Accepted); };
            QTimer::singleShot(0, window.get(), [&] { press(window.get(), button); });
            EXPECT_EQ(window->exec(), QDialog::Accepted);
            EXPECT_FALSE(window->isVisible());
        }
        {
            QPointer<Window> window = make().release();
            prompts.whilePrompting = [&] { delete window.data(); };
            window->show();
            press(window.data(), button);
            EXPECT_TRUE(window.isNull());
        }
        prompts.whilePrompting = nullptr;
        EXPECT_EQ(prompts.prompts, std::vector<std::string>(2, gbk(core::text::kAccountEmpty)));
    }

    QTemporaryDir runDirectory;
    skin::SkinFrame frame;
    ScriptedPrompts prompts;
    std::string adapterAddress = "00-1A-2B-3C-4D-5E";
    std::unique_ptr<FakeService> service;
    ManualScheduler scheduler;
    FakeSessionView view;
    std::unique_ptr<core::SessionCore> session;

private:
    std::size_t m_configsBefore = 0;  // configurations applied before this session
};

// One row of a window's component table.
struct ComponentRow {
    const char* name;
    const char* kind;  // class the component is (or inherits)
    const char* text;  // label or button text; nullptr: none checked
    QRect geometry;
};

inline QString componentText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    return {};
}

// Each component of the table is a child of `window` of its kind, text and
// place.
inline void expectComponents(const QWidget* window, std::span<const ComponentRow> rows) {
    for (const ComponentRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* widget = child<QWidget>(window, QString::fromUtf8(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(row.kind)) << widget->metaObject()->className();
        EXPECT_EQ(widget->parentWidget(), window);
        EXPECT_EQ(widget->geometry(), row.geometry);
        if (row.text) {
            EXPECT_EQ(componentText(widget), QString::fromUtf8(row.text));
        }
    }
}

// The frame every account dialog wears: the smallest banner, no status bar,
// only the close button; its design size kept.
inline void expectDialogFrame(const skin::SkinFrame& frame, const QWidget* window,
                              const QSize& size) {
    EXPECT_TRUE(frame.isAttached(window));
    EXPECT_EQ(window->property("Vuziz_BannerHeight").toInt(), 26);  // 24, raised
    EXPECT_EQ(window->property("Vuziz_StatusHeight").toInt(), 0);
    EXPECT_TRUE(frame.captionButtonRect(window, skin::CaptionButton::Close));
    EXPECT_FALSE(frame.captionButtonRect(window, skin::CaptionButton::Minimize));
    EXPECT_FALSE(frame.captionButtonRect(window, skin::CaptionButton::Maximize));
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
}

}  // namespace lanzhou::test
