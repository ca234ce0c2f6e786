#pragma once

// What the alert page benchmarks share: the offscreen set-up, a prompt
// presenter that shows nothing, and one alert of a generated "#59" answer.

#include <QApplication>

#include <cstdio>
#include <string>

#include "client/display/alert_page.h"
#include "protocol/message_catalogue.h"
#include "ui/prompt/prompt_presenter.h"

namespace lanzhou::bench {

// Before QApplication: offscreen, the browser without sandbox or GPU.
inline void prepareOffscreen() {
    const auto setDefault = [](const char* name, const char* value) {
        if (qEnvironmentVariableIsEmpty(name)) {
            qputenv(name, value);
        }
    };
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");
    setDefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// No prompt is expected; none opens a window.
class NoPrompts final : public display::PromptPresenter {
public:
    void showPrompt(const std::string&) override {}
    void showCountdownPrompt(const std::string&) override {}
    bool confirmClose() override { return true; }
};

// Alert `i` of a generated answer: half today (2013-11-24, the benchmarks'
// server date), half on earlier days; the texts are GBK.
inline protocol::AlertRecord benchAlert(int i, const std::string& name,
                                        const std::string& operation, const std::string& remark) {
    char time[32];
    const int day = i % 2 == 0 ? 24 : 1 + i % 23;
    std::snprintf(time, sizeof time, "2013-11-%02d %02d:%02d:%02d", day, 9 + i % 6, i % 60,
                  (i / 60) % 60);
    protocol::AlertRecord record;
    record.id = "A" + std::to_string(1000000 + i);
    record.time = time;
    record.code = std::to_string(600000 + i % 4000);
    record.name = name;
    record.operation = operation;
    record.buy = "9.85";
    record.sell = "10.20";
    record.remark = remark;
    record.audience = "1";
    record.popup = "0";
    return record;
}

}  // namespace lanzhou::bench
