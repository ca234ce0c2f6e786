#pragma once

#include <QTemporaryDir>

#include <functional>
#include <utility>

#include "client/app/desktop_client.h"
#include "platform/paths.h"
#include "ui/prompt/prompt_presenter.h"

namespace lanzhou::test {

// The desktop client's options as the tests start it: its run directory a
// temporary one, its server on the loopback, its prompts recorded (nullptr:
// the real windows) and its end reported to `endProgram` instead of leaving
// the event loop.
inline app::DesktopClient::Options clientOptions(
    const QTemporaryDir& run, int port, display::PromptPresenter* prompts,
    std::function<void(int)> endProgram = [](int) {}) {
    app::DesktopClient::Options options;
    options.runDirectory = platform::gbkFromPath(run.path().toStdString());
    options.server = core::Endpoint{"127.0.0.1", port};
    options.prompts = prompts;
    options.endProgram = std::move(endProgram);
    return options;
}

}  // namespace lanzhou::test
