// update: the updater program. The client starts it from its run directory
// (the folder of this program) with the new version, the update source and
// the client's file name; it ends with status 0 however the update went.

#include <QApplication>
#include <QDir>
#include <QMetaObject>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ansi_command_line.h"
#include "platform/command_line.h"
#include "platform/gbk.h"
#include "platform/paths.h"
#include "ui/look/app_icon.h"
#include "ui/look/song_face.h"
#include "ui/skin/skin_frame.h"
#include "ui/sound/sound_player.h"
#include "ui/widgets/qt_path.h"
#include "updater/core/update_arguments.h"
#include "updater/window/update_run.h"

int main(int argc, char** argv) {
    using namespace lanzhou;

    // The arguments are GBK text, as the client wrote them: on Windows the
    // command line as handed over, split the updater's way; elsewhere argv.
    std::vector<std::string> arguments;
    if (const std::optional<std::string> line = platform::ansiCommandLine()) {
        arguments = updater::splitCommandLine(*line);
        if (!arguments.empty()) {
            arguments.erase(arguments.begin());  // the program's own path
        }
    } else {
        for (const std::string& word : platform::utf8Arguments(argc, argv)) {
            arguments.push_back(platform::gbkFromUtf8(word));
        }
    }
    if (arguments.empty()) {
        return 0;  // nothing to do, nothing shown
    }
    const std::filesystem::path runDirectory = platform::executableDirectory();

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QDir::setCurrent(display::qtPath(runDirectory));
    look::mapSongFace();
    QApplication::setWindowIcon(look::applicationIcon());

    skin::SkinFrame frame;
    frame.SetBaseColour(Qt::white);
    frame.RestyleChildren();  // the buttons in the frame's look, as in the client
    display::SoundPlayer sound;

    updater::UpdateRun::Options options;
    options.runDirectory = runDirectory;
    options.arguments = std::move(arguments);
    options.playChime = [&sound] { sound.playPromptChime(); };
    options.endProgram = [](int) {
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    };
    updater::UpdateRun run(frame, std::move(options));
    if (!run.start()) {
        return 0;
    }
    QApplication::exec();
    return 0;
}
