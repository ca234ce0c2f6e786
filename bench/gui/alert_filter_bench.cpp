// How long one keystroke in the alert page's search box takes with 100,000
// alerts in the lists: the filter over both lists, the views' reset and their
// painting of the result. Offscreen; prints one line per searched text and
// the slowest.
//
// The searches are typed one character at a time, as a member types them, and
// then cleared; each step is one keystroke.

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <algorithm>
#include <array>
#include <cstdio>
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
constexpr double kTargetMs = 100.0;

// Half today (the server's date), half on earlier days; names, operations
// and remarks from small sets, as a day's alerts repeat them.
std::vector<lanzhou::protocol::AlertRecord> makeRecords() {
    const auto gbk = [](const char* utf8) { return lanzhou::platform::gbkFromUtf8(utf8); };
    const std::array<std::string, 4> names = {gbk("浦发银行"), gbk("工商银行"), gbk("贵州茅台"),
                                              gbk("中国平安")};
    const std::array<std::string, 3> operations = {gbk("逢低买入"), gbk("持有"), gbk("止盈卖出")};
    const std::array<std::string, 3> remarks = {
        gbk("<b>注意</b>：放量突破，止损位 9.50，仓位不超过三成。"),
        gbk("<p>Stop loss at 9.50; keep the position light.</p>"),
        gbk("缩量回调至均线附近，等待企稳信号后再考虑加仓。")};
    std::vector<lanzhou::protocol::AlertRecord> records;
    records.reserve(kAlerts);
    for (int i = 0; i < kAlerts; ++i) {
        records.push_back(lanzhou::bench::benchAlert(
            i, names[static_cast<std::size_t>(i) % names.size()],
            operations[static_cast<std::size_t>(i / 4) % operations.size()],
            remarks[static_cast<std::size_t>(i / 12) % remarks.size()]));
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
    alerts.replaceAll(makeRecords(), {2013, 11, 24, 12, 0, 0});
    QCoreApplication::processEvents();
    page.todayList().selectRow(0);

    // Each search typed one character at a time, then cleared.
    const std::vector<QString> searches = {
        QStringLiteral("工商银行"), QStringLiteral("stop"), QStringLiteral("6001"),
        QStringLiteral("zzz"),  // nothing matches: every text read to its end
        QStringLiteral("止损位"),
    };
    std::vector<double> all;
    for (const QString& search : searches) {
        std::vector<double> steps;
        for (qsizetype length = 1; length <= search.size() + 1; ++length) {
            const QString text = length <= search.size() ? search.left(length) : QString();
            QElapsedTimer timer;
            timer.start();
            page.setSearchText(text);
            QCoreApplication::processEvents();
            page.todayList().repaint();
            page.historyList().repaint();
            steps.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        const int shown =
            page.todayList().model()->rowCount() + page.historyList().model()->rowCount();
        if (shown != kAlerts) {
            std::fprintf(stderr, "alert search: %d rows shown after clearing, not %d\n", shown,
                         kAlerts);
            return 1;
        }
        std::printf("alert search \"%s\": %zu keystrokes, slowest %.1f ms\n",
                    search.toUtf8().constData(), steps.size(),
                    *std::max_element(steps.begin(), steps.end()));
        all.insert(all.end(), steps.begin(), steps.end());
    }
    std::sort(all.begin(), all.end());
    std::printf(
        "alert search: one keystroke over %d alerts: median %.1f ms, slowest %.1f ms "
        "(target < %.0f ms)\n",
        kAlerts, all[all.size() / 2], all.back(), kTargetMs);
    return 0;
}
