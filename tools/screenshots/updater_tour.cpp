// lanzhou-updater-tour: the updater's window during and after a download,
// grabbed from the screen (run it under a real X server such as Xvfb) and
// saved as PNGs. Used by scripts/screenshots.
//
//   lanzhou-updater-tour --source URL --run-dir DIR --out DIR
//
// The update runs in this process into DIR from URL (serve it slowly, so
// that the window is caught while it downloads); the client to ask to quit
// and to start again is one that does not exist.

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "tools/screenshots/window_grab.h"
#include "ui/look/app_icon.h"
#include "ui/look/song_face.h"
#include "ui/skin/skin_frame.h"
#include "updater/window/finish_window.h"
#include "updater/window/update_run.h"
#include "updater/window/updater_window.h"

using namespace lanzhou;
using tools::save;
using tools::when;

int main(int argc, char** argv) {
    std::string source;
    std::string runDirectory;
    QString out = QStringLiteral(".");
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view word(argv[i]);
        if (word == "--source") {
            source = argv[i + 1];
        } else if (word == "--run-dir") {
            runDirectory = argv[i + 1];
        } else if (word == "--out") {
            out = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    if (source.empty() || runDirectory.empty()) {
        std::fprintf(stderr, "usage: lanzhou-updater-tour --source URL --run-dir DIR --out DIR\n");
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    look::mapSongFace();
    QApplication::setWindowIcon(look::applicationIcon());
    skin::SkinFrame frame;
    frame.SetBaseColour(Qt::white);
    frame.RestyleChildren();  // the buttons in the frame's look, as in the client

    updater::UpdateRun::Options options;
    options.runDirectory = runDirectory;
    options.arguments = {"2", source, "lanzhou-tour-no-client"};
    options.endProgram = [](int) {};
    updater::UpdateRun run(frame, std::move(options));
    if (!run.start()) {
        return 1;
    }
    // During the download: once the bar and the speed column show something.
    when([&] { return run.window() && run.window()->progress() >= 30; },
         [&] {
             QTimer::singleShot(1200, [&] {
                 if (!save(run.window(), out, QStringLiteral("updater-downloading"))) {
                     QCoreApplication::exit(1);
                     return;
                 }
                 // After it: the finish window.
                 when([&] { return run.stage() == updater::UpdateRun::Stage::Finished; },
                      [&] {
                          QTimer::singleShot(500, [&] {
                              QCoreApplication::exit(
                                  save(run.finishWindow(), out, QStringLiteral("updater-finished"))
                                      ? 0
                                      : 1);
                          });
                      });
             });
         });
    return QApplication::exec();
}
