// How long the alert page takes to show a "#59" answer of 100,000 alerts,
// and how much memory the two lists cost. Offscreen; prints two lines.
//
// The records are built first (they stand for the decoded answer the
// dispatcher hands over); the figures cover applying them to the core's lists
// and the views' processing and painting of the result.

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/gui/bench_page.h"
#include "client/core/alert_list_model.h"
#include "client/display/alert_page.h"
#include "platform/gbk.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "ui/prompt/prompt_presenter.h"

namespace {

constexpr int kAlerts = 100000;
constexpr double kTargetMs = 1000.0;
constexpr double kTargetGrowthMb = 100.0;

// VmRSS of this process in MB; none where /proc is not there.
std::optional<double> residentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;  // kB
        }
    }
    return std::nullopt;
}

std::string megabytes(const std::optional<double>& value) {
    if (!value) {
        return "n/a";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", *value);
    return text;
}

// Half today (the server's date), half on earlier days.
std::vector<lanzhou::protocol::AlertRecord> makeRecords() {
    const std::string name = lanzhou::platform::gbkFromUtf8("浦发银行");
    const std::string operation = lanzhou::platform::gbkFromUtf8("逢低买入");
    const std::string remark =
        lanzhou::platform::gbkFromUtf8("<b>注意</b>：放量突破，止损位 9.50，仓位不超过三成。");
    std::vector<lanzhou::protocol::AlertRecord> records;
    records.reserve(kAlerts);
    for (int i = 0; i < kAlerts; ++i) {
        records.push_back(lanzhou::bench::benchAlert(i, name, operation, remark));
    }
    return records;
}

}  // namespace

int main(int argc, char** argv) {
    lanzhou::bench::prepareOffscreen();
    QApplication app(argc, argv);

    lanzhou::core::AlertListModel alerts;
    lanzhou::bench::NoPrompts prompts;
    lanzhou::display::AlertPage page(alerts, prompts);
    page.resize(1200, 800);
    page.fitToWindowSize({1200, 800});
    page.show();
    QCoreApplication::processEvents();

    const std::vector<lanzhou::protocol::AlertRecord> records = makeRecords();
    const lanzhou::protocol::DateTime serverTime{2013, 11, 24, 12, 0, 0};
    const std::optional<double> before = residentMb();

    QElapsedTimer timer;
    timer.start();
    alerts.replaceAll(records, serverTime);
    QCoreApplication::processEvents();
    page.todayList().repaint();
    page.historyList().repaint();
    page.todayList().grab();
    page.historyList().grab();
    const double elapsedMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    const std::optional<double> after = residentMb();
    const int shown = page.todayList().model()->rowCount() + page.historyList().model()->rowCount();
    if (shown != kAlerts) {
        std::fprintf(stderr, "alert page: the lists show %d rows, not %d\n", shown, kAlerts);
        return 1;
    }

    std::printf(
        "alert page: %d alerts applied to the visible lists in %.0f ms (target < %.0f ms)\n",
        kAlerts, elapsedMs, kTargetMs);
    const std::string growth = before && after ? megabytes(*after - *before) : std::string("n/a");
    std::printf("alert page: resident memory %s before, %s after, growth %s (target < %.0f MB)\n",
                megabytes(before).c_str(), megabytes(after).c_str(), growth.c_str(),
                kTargetGrowthMb);
    return 0;
}
