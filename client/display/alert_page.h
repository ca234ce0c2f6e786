#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class QTableView;
class QToolButton;
class QPushButton;

namespace lanzhou::core {
class AlertListModel;
}

namespace lanzhou::display {

class HtmlView;
class PromptPresenter;

// The alert tab ("股票预警"): the search row (search box, clear button,
// "导出"), TodayList in the group "今日强势股票跟踪", HistoryList in
// "历史数据跟踪", and the detail panel with its six labels, the remark heading
// and the remark browser. The two lists are views over the core's alert lists
// (the page is their observer while it lives), so they stay fast with
// hundreds of thousands of rows. Design size 951 x 502.
//
// The search box filters both lists as the member types (core::AlertFilter);
// Escape in the box and the clear button empty it. A selected row that the
// search hides is selected again when a later search shows it. "导出" writes
// both lists as shown, today's rows first, to a CSV file the member chooses.
class AlertPage final : public QWidget {
    Q_OBJECT

public:
    // Asks for the file an export writes; an empty text cancels.
    using ExportFileChooser = std::function<QString(QWidget& parent)>;

    // `alerts` and `prompts` must outlive the page.
    AlertPage(core::AlertListModel& alerts, PromptPresenter& prompts, QWidget* parent = nullptr);
    ~AlertPage() override;  // stops observing the core's lists

    // The main window's layout rule for its new outer size; the design sizes
    // are minimums.
    void fitToWindowSize(QSize windowSize);

    // Selects the top row of TodayList and shows it in the detail panel
    // (selecting the tab is the main window's part); a search that hides it
    // is cleared first.
    void showLatestAlert();

    // Types `text` into the search box (the lists follow at once).
    void setSearchText(const QString& text);
    QString searchText() const;

    // Replaces the save dialog "导出" opens.
    void setExportFileChooser(ExportFileChooser chooser);
    // Writes both lists as shown to `path`: the rows written, or nothing after
    // the failure prompt.
    std::optional<int> exportTo(const QString& path);

    QTableView& todayList();
    QTableView& historyList();
    HtmlView& remarkBrowser();
    QLineEdit& searchBox();
    QToolButton& clearSearchButton();
    QPushButton& exportButton();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::display
