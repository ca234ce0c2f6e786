// The alert page: both lists as views over the core's lists, the detail
// panel, showLatestAlert and the resize rule.

#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QWebEnginePage>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/core/alert_list_model.h"
#include "client/display/alert_page.h"
#include "tests/gui/display/alert_page_fixture.h"
#include "tests/gui/support/page_reading.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "ui/html/html_view.h"

namespace lanzhou::display {
namespace {

using test::plainText;

using test::alertRecord;
using test::alertServerTime;
using test::child;
using test::columnTexts;

constexpr int kLoadWait = test::kPageWait;

const QStringList kFieldLabels = {"发布时间_标签", "股票代码_标签", "股票名称_标签",
                                  "操作方式_标签", "买入价格_标签", "卖出价格_标签"};

// Waits until the remark browser shows a page containing `text`.
bool remarkShows(HtmlView& view, const QString& text) {
    return QTest::qWaitFor([&] { return plainText(view).contains(text); }, kLoadWait);
}

class AlertPageTest : public ::testing::Test {
protected:
    AlertPageTest() { m_page.show(); }

    QString label(const QString& name) {
        auto* found = child<QLabel>(&m_page, name);
        return found ? found->text() : QString();
    }

    QStringList detailTexts() {
        QStringList texts;
        for (const QString& name : kFieldLabels) {
            texts << label(name);
        }
        return texts;
    }

    core::AlertListModel m_alerts;
    test::RecordingPrompts m_prompts;
    AlertPage m_page{m_alerts, m_prompts};
    QTableView& m_today = m_page.todayList();
    QTableView& m_history = m_page.historyList();
};

TEST_F(AlertPageTest, ComponentsCaptionsAndPlaces) {
    EXPECT_EQ(m_page.objectName(), QStringLiteral("AlertPage"));
    EXPECT_EQ(m_page.size(), QSize(951, 502));
    EXPECT_EQ(child<QTableView>(&m_page, "TodayList"), &m_today);
    EXPECT_EQ(child<QTableView>(&m_page, "HistoryList"), &m_history);
    EXPECT_EQ(child<HtmlView>(&m_page, "备注_浏览器"), &m_page.remarkBrowser());

    struct Group {
        QString caption;
        QRect place;
    };
    const std::vector<Group> groups = {
        {"今日强势股票跟踪", {1, 28, 503, 156}},
        {"历史数据跟踪", {1, 186, 503, 315}},
        {"详细内容（选择左侧项目显示全部信息）", {505, 2, 439, 499}}};
    for (const Group& group : groups) {
        QGroupBox* box = nullptr;
        for (QGroupBox* candidate : m_page.findChildren<QGroupBox*>()) {
            if (candidate->title() == group.caption) {
                box = candidate;
            }
        }
        ASSERT_NE(box, nullptr) << group.caption.toStdString();
        EXPECT_EQ(box->geometry(), group.place) << group.caption.toStdString();
    }
    EXPECT_EQ(m_today.geometry(), QRect(5, 18, 491, 131));
    EXPECT_EQ(m_history.geometry(), QRect(5, 18, 491, 292));
    EXPECT_EQ(m_page.remarkBrowser().geometry(), QRect(1, 248, 436, 246));

    EXPECT_EQ(detailTexts(), (QStringList{"发布时间：", "股票代码：", "股票名称：", "操作方式：",
                                          "买入价格：", "卖出价格："}));
    EXPECT_EQ(label("备注_标题"), QStringLiteral("↓备注↓"));
    for (QLabel* each : m_page.findChildren<QLabel*>()) {
        EXPECT_EQ(each->font().family(), QStringLiteral("宋体"))
            << each->objectName().toStdString();
    }
    for (QTableView* list : {&m_today, &m_history}) {
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_FALSE(list->isSortingEnabled());
        EXPECT_FALSE(list->verticalHeader()->isVisible());
        EXPECT_EQ(list->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
    }
}

TEST_F(AlertPageTest, AlertListAnswerFillsBothListsLastOnTopByDate) {
    const std::vector<protocol::AlertRecord> records = {
        alertRecord("t1", "2013-11-24 9:5:3"),     // today, loose form
        alertRecord("h1", "2013-11-23 23:59:59"),  // yesterday
        alertRecord("t2", "2013-11-24 10:00:00"),  // today
        alertRecord("t3", "2013-11-25 08:00:00"),  // tomorrow: today's list
        alertRecord("h2", "not a time"),           // the null date: history
        alertRecord("t4", "2013-11-24 11:00:00", "平安银行"),
    };
    m_alerts.replaceAll(records, alertServerTime());

    EXPECT_EQ(columnTexts(*m_today.model(), 0), (QStringList{"t4", "t3", "t2", "t1"}));
    EXPECT_EQ(columnTexts(*m_history.model(), 0), (QStringList{"h2", "h1"}));
    EXPECT_EQ(columnTexts(*m_today.model(), 1),
              (QStringList{"2013-11-24 11:00:00", "2013-11-25 08:00:00", "2013-11-24 10:00:00",
                           "2013-11-24 09:05:03"}));
    EXPECT_EQ(columnTexts(*m_history.model(), 1),
              (QStringList{"100-01-01 00:00:00", "2013-11-23 23:59:59"}));
    EXPECT_EQ(m_today.model()->index(0, 3).data().toString(), QStringLiteral("平安银行"));

    // A second answer replaces the first.
    m_alerts.replaceAll(std::vector{alertRecord("x1", "2013-11-22 08:00:00")}, alertServerTime());
    EXPECT_EQ(m_today.model()->rowCount(), 0);
    EXPECT_EQ(columnTexts(*m_history.model(), 0), (QStringList{"x1"}));
}

TEST_F(AlertPageTest, LiveEditsReachTheViews) {
    const auto server = alertServerTime();
    m_alerts.place(alertRecord("a1", "2013-11-24 09:00:00"), server);
    m_alerts.place(alertRecord("h1", "2013-11-20 09:00:00"), server);
    m_alerts.place(alertRecord("a2", "2013-11-24 09:30:00"), server);
    m_alerts.place(alertRecord("both", "2013-11-24 09:40:00"), server);
    m_alerts.place(alertRecord("both", "2013-11-19 09:40:00"), server);
    EXPECT_EQ(columnTexts(*m_today.model(), 0), (QStringList{"both", "a2", "a1"}));
    EXPECT_EQ(columnTexts(*m_history.model(), 0), (QStringList{"both", "h1"}));

    // An update overwrites the row in place; ids match without regard to case.
    ASSERT_TRUE(m_alerts.update(alertRecord("A1", "2013-11-24 09:01:00", "招商银行"), server));
    EXPECT_EQ(m_today.model()->index(2, 3).data().toString(), QStringLiteral("招商银行"));
    EXPECT_EQ(m_today.model()->index(2, 1).data().toString(),
              QStringLiteral("2013-11-24 09:01:00"));
    // An id only in HistoryList, with today's date: nothing changes.
    EXPECT_FALSE(m_alerts.update(alertRecord("h1", "2013-11-24 09:01:00", "招商银行"), server));
    EXPECT_EQ(m_history.model()->index(1, 3).data().toString(), QStringLiteral("浦发银行"));

    // An id in both lists goes from TodayList only; unknown ids are ignored.
    const std::vector<std::string> ids = {"both", "nobody", "a2"};
    m_alerts.remove(ids);
    EXPECT_EQ(columnTexts(*m_today.model(), 0), (QStringList{"A1"}));  // as updated
    EXPECT_EQ(columnTexts(*m_history.model(), 0), (QStringList{"both", "h1"}));

    // The views draw the rows they are told of.
    m_today.grab();
    EXPECT_EQ(m_today.rowAt(1), 0);
    EXPECT_EQ(m_today.rowAt(m_today.rowHeight(0) + 1), -1);
}

TEST_F(AlertPageTest, SelectionFillsTheDetailPanelAndTheLastSelectionStays) {
    const auto server = alertServerTime();
    m_alerts.place(alertRecord("t1", "2013-11-24 9:5:3", "浦发银行", "<b>注意</b>风险"), server);
    m_alerts.place(alertRecord("h1", "2013-11-20 14:30:00", "平安银行", "<p>止损</p>位"), server);
    HtmlView& remark = m_page.remarkBrowser();

    m_today.selectRow(0);
    EXPECT_EQ(detailTexts(), (QStringList{"发布时间：2013-11-24 09:05:03", "股票代码：600000",
                                          "股票名称：浦发银行", "操作方式：买入", "买入价格：9.85",
                                          "卖出价格：10.20"}));
    ASSERT_TRUE(remarkShows(remark, QStringLiteral("注意风险")));

    m_history.selectRow(0);
    EXPECT_EQ(label("发布时间_标签"), QStringLiteral("发布时间：2013-11-20 14:30:00"));
    EXPECT_EQ(label("股票名称_标签"), QStringLiteral("股票名称：平安银行"));
    ASSERT_TRUE(remarkShows(remark, QStringLiteral("止损")));

    // Selections cleared, and the selected row removed: the panel keeps the
    // last alert shown.
    QSignalSpy loads(&remark, &QWebEngineView::loadStarted);
    m_today.clearSelection();
    const std::vector<std::string> ids = {"h1"};
    m_alerts.remove(ids);
    EXPECT_TRUE(m_history.selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(label("股票名称_标签"), QStringLiteral("股票名称：平安银行"));
    EXPECT_TRUE(loads.isEmpty());
    EXPECT_TRUE(plainText(remark).contains(QStringLiteral("止损")));
}

TEST_F(AlertPageTest, ShowLatestAlertSelectsTheTopRowOfTodayList) {
    m_page.showLatestAlert();  // nothing to show: nothing happens
    EXPECT_EQ(label("股票代码_标签"), QStringLiteral("股票代码："));

    const auto server = alertServerTime();
    m_alerts.place(alertRecord("old", "2013-11-24 08:00:00", "浦发银行"), server);
    m_alerts.place(alertRecord("h1", "2013-11-20 08:00:00", "平安银行"), server);
    m_alerts.place(alertRecord("new", "2013-11-24 09:00:00", "工商银行", "最新提示"), server);

    m_history.selectRow(0);
    m_page.showLatestAlert();
    ASSERT_TRUE(m_today.selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(label("股票名称_标签"), QStringLiteral("股票名称：工商银行"));
    ASSERT_TRUE(remarkShows(m_page.remarkBrowser(), QStringLiteral("最新提示")));

    // Row 0 already selected while the panel shows the other list: shown again.
    m_history.clearSelection();
    m_history.selectRow(0);
    EXPECT_EQ(label("股票名称_标签"), QStringLiteral("股票名称：平安银行"));
    m_page.showLatestAlert();
    EXPECT_EQ(label("股票名称_标签"), QStringLiteral("股票名称：工商银行"));
}

struct ResizeCase {
    QSize window;
    QSize detailPanel;
    QSize remarkBrowser;
    int remarkHeadingWidth;
    int historyGroupHeight;
    int historyListHeight;
};

class AlertPageResizeTest : public AlertPageTest,
                            public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(AlertPageResizeTest, FollowsTheWindowAboveTheDesignSize) {
    const ResizeCase& c = GetParam();
    m_page.fitToWindowSize({1400, 1000});  // from another size first
    m_page.fitToWindowSize(c.window);
    auto* detail = qobject_cast<QGroupBox*>(m_page.remarkBrowser().parentWidget());
    ASSERT_NE(detail, nullptr);
    auto* historyGroup = qobject_cast<QGroupBox*>(m_history.parentWidget());
    ASSERT_NE(historyGroup, nullptr);
    auto* heading = child<QLabel>(&m_page, "备注_标题");
    ASSERT_NE(heading, nullptr);

    EXPECT_EQ(detail->geometry(), QRect(QPoint(505, 2), c.detailPanel));
    EXPECT_EQ(m_page.remarkBrowser().geometry(), QRect(QPoint(1, 248), c.remarkBrowser));
    EXPECT_EQ(heading->geometry(), QRect(1, 218, c.remarkHeadingWidth, 18));
    EXPECT_EQ(historyGroup->geometry(), QRect(1, 186, 503, c.historyGroupHeight));
    EXPECT_EQ(m_history.geometry(), QRect(5, 18, 491, c.historyListHeight));
    // The today list keeps its design size.
    EXPECT_EQ(m_today.parentWidget()->geometry(), QRect(1, 28, 503, 156));
    EXPECT_EQ(m_today.geometry(), QRect(5, 18, 491, 131));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, AlertPageResizeTest,
    ::testing::Values(ResizeCase{{1200, 800}, {688, 687}, {685, 434}, 681, 503, 480},
                      ResizeCase{{952, 613}, {440, 500}, {437, 247}, 433, 316, 293},
                      ResizeCase{{951, 612}, {439, 499}, {436, 246}, 432, 315, 292},  // design
                      ResizeCase{
                          {600, 400}, {439, 499}, {436, 246}, 432, 315, 292},  // never smaller
                      ResizeCase{{1200, 500}, {688, 499}, {685, 246}, 681, 315, 292},
                      ResizeCase{{700, 900}, {439, 787}, {436, 534}, 432, 603, 580}));

TEST_F(AlertPageTest, IdAndDetailColumnsStayZeroWide) {
    const QList<int> widths = {0, 145, 108, 108, 111, 0, 0, 0};
    const auto columnWidths = [](const QTableView& list) {
        QList<int> result;
        for (int column = 0; column < 8; ++column) {
            result << list.columnWidth(column);
        }
        return result;
    };
    const auto check = [&](const char* when) {
        for (QTableView* list : {&m_today, &m_history}) {
            EXPECT_EQ(columnWidths(*list), widths)
                << when << " " << list->objectName().toStdString();
            for (const int column : {0, 5, 6, 7}) {
                EXPECT_FALSE(list->isColumnHidden(column)) << "zero wide, not hidden";
                EXPECT_EQ(list->horizontalHeader()->sectionResizeMode(column), QHeaderView::Fixed);
            }
        }
    };
    check("empty");
    std::vector<protocol::AlertRecord> records;
    for (int i = 0; i < 50; ++i) {
        records.push_back(alertRecord("r" + std::to_string(i),
                                      i % 2 ? "2013-11-24 08:00:00" : "2013-11-02 08:00:00",
                                      "很长很长很长很长很长很长的股票名称"));
    }
    m_alerts.replaceAll(records, alertServerTime());
    m_alerts.place(alertRecord("late", "2013-11-24 09:00:00"), alertServerTime());
    m_page.fitToWindowSize({1200, 800});
    m_today.grab();
    check("filled");
}

}  // namespace
}  // namespace lanzhou::display
