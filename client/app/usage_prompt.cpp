#include "client/app/usage_prompt.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include "client/app/startup_probe.h"
#include "platform/gbk.h"
#include "platform/quit_handler.h"
#include "ui/prompt/window_prompt_presenter.h"
#include "ui/skin/skin_frame.h"
#include "ui/sound/sound_player.h"

namespace lanzhou::app {

void showUsagePrompt(const std::string& reason) {
    skin::SkinFrame frame;
    frame.SetBaseColour(Qt::white);
    display::SoundPlayer sound;
    display::WindowPromptPresenter prompts(frame, [&sound] { sound.playPromptChime(); });
    // A quit request ends the prompt as it ends the client: hiding the
    // window ends its modal loop.
    platform::installQuitHandler([] {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    window->hide();
                }
            },
            Qt::QueuedConnection);
    });
    reportPromptsWhenShown();
    prompts.showPrompt(platform::gbkFromUtf8("启动参数有误：" + reason));
}

}  // namespace lanzhou::app
