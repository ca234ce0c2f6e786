#pragma once

#include <QSize>
#include <QWidget>

#include <memory>

class QTableView;

namespace lanzhou::core {
class AlertListModel;
}

namespace lanzhou::display {

class HtmlView;

// The alert tab ("股票预警"): TodayList in the group "今日强势股票跟踪",
// HistoryList in "历史数据跟踪", and the detail panel with its six labels,
// the remark heading and the remark browser. The two lists are views over the
// core's alert lists (the page is their observer while it lives), so they stay
// fast with hundreds of thousands of rows. Design size 951 x 502.
class AlertPage final : public QWidget {
    Q_OBJECT

public:
    // `alerts` must outlive the page.
    explicit AlertPage(core::AlertListModel& alerts, QWidget* parent = nullptr);
    ~AlertPage() override;  // stops observing the core's lists

    // The main window's layout rule for its new outer size; the design sizes
    // are minimums.
    void fitToWindowSize(QSize windowSize);

    // Selects the top row of TodayList and shows it in the detail panel
    // (selecting the tab is the main window's part).
    void showLatestAlert();

    QTableView& todayList();
    QTableView& historyList();
    HtmlView& remarkBrowser();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::display
