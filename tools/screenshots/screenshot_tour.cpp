// lanzhou-screenshot-tour: the desktop client against a running server,
// driven through a short tour; each window is grabbed from the screen (run
// it under a real X server such as Xvfb so that the embedded browser draws)
// and saved as a PNG. Used by scripts/screenshots.
//
//   lanzhou-screenshot-tour --server HOST:PORT --run-dir DIR --out DIR
//                           [--free|--windows|--reconnect]
//
// The member's tour (demo/demo): the login window, a prompt, the main window
// with the newest alert shown, the main window with the search box in use,
// then the popup of the next alert the server publishes. With --free
// (free/free): the main window on a refused web page. With --windows: the
// update offer (declined; the service must offer a newer version than the
// run directory's ver.txt), then the registration, recharge, account service
// and settings windows over the login window. With --reconnect (the run
// directory switches reconnection on): "main window shown" is printed once
// the member is in; the caller then stops the server, publishes an alert and
// starts the server again, and the summary popup is saved.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

#include "client/account/login_window.h"
#include "client/app/application_setup.h"
#include "client/app/desktop_client.h"
#include "client/core/run_directory_choice.h"
#include "client/core/session_arguments.h"
#include "client/display/alert_page.h"
#include "client/display/main_window.h"
#include "client/display/message_window.h"
#include "client/display/web_link_page.h"
#include "tools/screenshots/window_grab.h"
#include "ui/skin/skin_frame.h"

namespace {

using namespace lanzhou;
using tools::save;
using tools::when;

constexpr int kSettle = 2500;  // ms for pages and pictures to draw

// A left click at `point` of `widget`, as the mouse makes it.
void click(QWidget* widget, QPoint point) {
    const QPointF local(point);
    const QPointF global(widget->mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// One window of the --windows tour: how it is opened (it returns when the
// window has closed; nothing for a window that opens by itself) and the name
// of its picture.
struct WindowStep {
    QString name;
    std::function<void()> open;
};

// Opens each window in turn, saves it once it has settled and closes it.
void tourWindows(const std::vector<WindowStep>& steps, std::size_t index, const QString& out) {
    if (index == steps.size()) {
        QCoreApplication::exit(0);
        return;
    }
    when([] { return QApplication::activeModalWidget() != nullptr; },
         [&steps, index, out] {
             QTimer::singleShot(800, [&steps, index, out] {
                 QWidget* window = QApplication::activeModalWidget();
                 if (!save(window, out, steps[index].name)) {
                     QCoreApplication::exit(1);
                     return;
                 }
                 window->close();
                 // The next window once this one's modal loop has returned.
                 QTimer::singleShot(300,
                                    [&steps, index, out] { tourWindows(steps, index + 1, out); });
             });
         });
    if (steps[index].open) {
        steps[index].open();
    }
}

// Saves the popup of the next alert once it has drawn, and ends the tour.
void savePopup(app::DesktopClient& client, const QString& out) {
    when([&client] { return client.popup() != nullptr; },
         [&client, out] {
             QTimer::singleShot(kSettle, [&client, out] {
                 QCoreApplication::exit(save(client.popup(), out, QStringLiteral("popup")) ? 0 : 1);
             });
         });
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> words;
    QString out = QStringLiteral(".");
    bool free = false;
    bool windows = false;
    bool reconnect = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word(argv[i]);
        if (word == "--out" && i + 1 < argc) {
            out = QString::fromLocal8Bit(argv[++i]);
        } else if (word == "--free") {
            free = true;
        } else if (word == "--windows") {
            windows = true;
        } else if (word == "--reconnect") {
            reconnect = true;
        } else {
            words.push_back(word);
        }
    }
    const auto parsed = core::parseSessionArguments(words);
    const auto runDirectory =
        core::chooseRunDirectory(parsed ? parsed->runDirectory : std::nullopt);
    if (!parsed || !runDirectory) {
        std::fprintf(stderr,
                     "usage: lanzhou-screenshot-tour --server HOST:PORT --run-dir DIR --out DIR "
                     "[--free|--windows|--reconnect]\n");
        return 1;
    }

    app::prepareQtEnvironment();
    QApplication application(argc, argv);
    app::setUpApplication(runDirectory->directory);

    app::DesktopClient::Options options;
    options.runDirectory = runDirectory->directory;
    options.server = parsed->server;
    options.endProgram = [](int code) { QCoreApplication::exit(code); };
    app::DesktopClient client(std::move(options));
    if (!client.start()) {
        return 1;
    }
    account::LoginWindow* login = client.loginWindow();
    auto* account = login->findChild<QLineEdit*>(QStringLiteral("登陆_ad1"));
    auto* password = login->findChild<QLineEdit*>(QStringLiteral("登陆_ad2"));
    auto* button = login->findChild<QPushButton*>(QStringLiteral("按钮3"));
    if (account == nullptr || password == nullptr || button == nullptr) {
        std::fprintf(stderr, "screenshot-tour: the login window lacks its components\n");
        return 1;
    }
    const auto mainShown = [&] { return client.mainWindow() && client.mainWindow()->isVisible(); };
    const auto logIn = [&](const QString& name) {
        account->setText(name);
        password->setText(name);
        button->click();
    };

    if (windows) {
        const auto captionButton = [&](skin::CaptionButton which) {
            const auto area = client.frame().captionButtonRect(login, which);
            if (area) {
                click(login, area->center());
            }
        };
        const auto label = [&](const char* name) {
            if (auto* link = login->findChild<QLabel*>(QString::fromUtf8(name))) {
                click(link, {5, 5});
            }
        };
        const std::vector<WindowStep> steps = {
            {QStringLiteral("update-offer"), {}},
            {QStringLiteral("register-window"), [&] { label("注册_标签"); }},
            {QStringLiteral("recharge-window"), [&] { label("充值_标签"); }},
            {QStringLiteral("account-service-window"),
             [&] { captionButton(skin::CaptionButton::Help); }},
            {QStringLiteral("settings-window"),
             [&] { captionButton(skin::CaptionButton::MainMenu); }},
        };
        QTimer::singleShot(kSettle, [&] { tourWindows(steps, 0, out); });
        return QApplication::exec();
    }

    if (reconnect) {
        // The summary popup of what arrived while the server was away.
        QTimer::singleShot(kSettle, [&] {
            logIn(QStringLiteral("demo"));
            when(mainShown, [&] {
                QTimer::singleShot(kSettle, [&] {
                    std::printf("main window shown\n");
                    std::fflush(stdout);
                    when([&] { return client.popup() != nullptr; },
                         [&] {
                             QTimer::singleShot(kSettle, [&] {
                                 QCoreApplication::exit(
                                     save(client.popup(), out, QStringLiteral("summary-popup"))
                                         ? 0
                                         : 1);
                             });
                         },
                         100, 900);
                });
            });
        });
        return QApplication::exec();
    }

    if (free) {
        // The main window of a free member, on the first page refused to them.
        QTimer::singleShot(kSettle, [&] {
            logIn(QStringLiteral("free"));
            when(mainShown, [&] {
                display::MainWindow* main = client.mainWindow();
                for (display::WebLinkPage* page : main->webLinkPages()) {
                    if (!page->permitted()) {
                        main->selectTab(page->title());
                        break;
                    }
                }
                QTimer::singleShot(kSettle, [&] {
                    QCoreApplication::exit(
                        save(client.mainWindow(), out, QStringLiteral("web-page-refused")) ? 0 : 1);
                });
            });
        });
        return QApplication::exec();
    }

    // 1. The login window with its bulletin.
    QTimer::singleShot(kSettle, [&] {
        save(login, out, QStringLiteral("login-window"));
        // 2. A prompt: the login pressed with an empty form.
        account->clear();
        password->clear();
        when([] { return QApplication::activeModalWidget() != nullptr; },
             [&] {
                 QTimer::singleShot(800, [&] {
                     QWidget* prompt = QApplication::activeModalWidget();
                     save(prompt, out, QStringLiteral("prompt"));
                     if (auto* ok = prompt->findChild<QPushButton*>()) {
                         ok->click();
                     } else {
                         prompt->close();
                     }
                     // 3. The main window with the newest alert in the detail panel.
                     logIn(QStringLiteral("demo"));
                     when(mainShown, [&] {
                         QTimer::singleShot(kSettle, [&] {
                             client.mainWindow()->showLatestAlert();
                             QTimer::singleShot(kSettle, [&] {
                                 if (!save(client.mainWindow(), out,
                                           QStringLiteral("main-window"))) {
                                     QCoreApplication::exit(1);
                                     return;
                                 }
                                 // 4. The search box in use, then the popup of the next
                                 // alert (scripts/screenshots publishes one when it sees
                                 // this picture saved).
                                 client.mainWindow()->alertPage().setSearchText(
                                     QStringLiteral("平安银行"));
                                 QTimer::singleShot(kSettle, [&] {
                                     if (!save(client.mainWindow(), out,
                                               QStringLiteral("search-box"))) {
                                         QCoreApplication::exit(1);
                                         return;
                                     }
                                     savePopup(client, out);
                                 });
                             });
                         });
                     });
                 });
             });
        button->click();
    });
    return QApplication::exec();
}
