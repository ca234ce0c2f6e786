// AlertTableModel and AlertListBridge: the core's list edits, told before and
// after they are made, reach Qt views through a correct begin/end protocol,
// with a filter as without.

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QTableView>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/core/alert_list_model.h"
#include "client/display/alert_list_bridge.h"
#include "client/display/alert_table_model.h"
#include "tests/gui/display/alert_page_fixture.h"

namespace lanzhou::display {
namespace {

using test::alertRecord;
using test::alertServerTime;
using test::columnTexts;
using test::G;

// Collects what QAbstractItemModelTester reports (category qt.modeltest).
class ModelTesterLog final {
public:
    ModelTesterLog() {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&ModelTesterLog::handle);
    }
    ~ModelTesterLog() { qInstallMessageHandler(m_previous); }
    ModelTesterLog(const ModelTesterLog&) = delete;
    ModelTesterLog& operator=(const ModelTesterLog&) = delete;

    static QStringList messages() { return s_messages; }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (context.category != nullptr &&
            QByteArray(context.category).startsWith("qt.modeltest")) {
            s_messages << message;
        }
    }

    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

class AlertTableModelTest : public ::testing::Test {
protected:
    AlertTableModelTest() { m_alerts.setObserver(&m_bridge); }
    ~AlertTableModelTest() override { m_alerts.setObserver(nullptr); }

    void place(const std::string& id, const std::string& time) {
        m_alerts.place(alertRecord(id, time), alertServerTime());
    }

    core::AlertListModel m_alerts;
    AlertTableModel m_today{m_alerts.list(core::AlertListId::Today)};
    AlertTableModel m_history{m_alerts.list(core::AlertListId::History)};
    AlertListBridge m_bridge{m_today, m_history};
};

TEST_F(AlertTableModelTest, ModelTesterFindsNoFaultThroughEveryKindOfEdit) {
    ModelTesterLog log;
    QAbstractItemModelTester todayTester(&m_today,
                                         QAbstractItemModelTester::FailureReportingMode::Warning);
    QAbstractItemModelTester historyTester(&m_history,
                                           QAbstractItemModelTester::FailureReportingMode::Warning);

    // Inserts on top of rows that are already there, in both lists.
    for (const char* id : {"a1", "a2", "a3", "a4"}) {
        place(id, "2013-11-24 09:00:00");
    }
    place("h1", "2013-11-20 09:00:00");
    place("h2", "2013-11-21 09:00:00");
    // A change, removals at the top, in the middle and at the bottom.
    ASSERT_TRUE(
        m_alerts.update(alertRecord("A3", "2013-11-24 10:00:00", "工商银行"), alertServerTime()));
    const std::vector<std::string> ids = {"a4", "a2", "a1", "h2"};
    m_alerts.remove(ids);
    // Resets: the "#59" answer and a clear.
    std::vector<protocol::AlertRecord> records;
    for (int i = 0; i < 5; ++i) {
        records.push_back(alertRecord("r" + std::to_string(i),
                                      i % 2 ? "2013-11-24 08:00:00" : "2013-11-23 08:00:00"));
    }
    m_alerts.replaceAll(records, alertServerTime());
    EXPECT_EQ(m_today.rowCount(), 2);
    EXPECT_EQ(m_history.rowCount(), 3);
    m_alerts.clear();
    EXPECT_EQ(m_today.rowCount(), 0);

    EXPECT_TRUE(ModelTesterLog::messages().isEmpty())
        << ModelTesterLog::messages().join(QLatin1Char('\n')).toStdString();
}

TEST_F(AlertTableModelTest, SelectionFollowsItsRowThroughInsertsAndRemovals) {
    for (const char* id : {"a1", "a2", "a3"}) {
        place(id, "2013-11-24 09:00:00");
    }
    QTableView view;
    view.setModel(&m_today);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.selectRow(1);  // a2
    const QPersistentModelIndex held(m_today.index(1, 3));

    place("a4", "2013-11-24 09:30:00");  // on top
    const std::vector<std::string> ids = {"a3"};
    m_alerts.remove(ids);  // above the selected row

    ASSERT_TRUE(held.isValid());
    EXPECT_EQ(m_today.index(held.row(), 0).data().toString(), QStringLiteral("a2"));
    const QModelIndexList selected = view.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().data().toString(), QStringLiteral("a2"));
    EXPECT_EQ(columnTexts(m_today, 0), (QStringList{"a4", "a2", "a1"}));

    const std::vector<std::string> selectedId = {"A2"};
    m_alerts.remove(selectedId);
    EXPECT_FALSE(held.isValid());
    EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());
}

TEST_F(AlertTableModelTest, CellsAreTheCoreTextsFromGbkAndHeadersAreTheColumnTitles) {
    place("a1", "2013-11-24 9:5:3");
    place("a2", "2013-11-24 10:00:00");
    ASSERT_EQ(m_today.rowCount(), 2);
    ASSERT_EQ(m_today.columnCount(), 8);
    const QStringList row1 = {"a1",    "2013-11-24 09:05:03", "600000", "浦发银行", "买入", "9.85",
                              "10.20", "<b>注意</b>风险"};
    for (int column = 0; column < 8; ++column) {
        EXPECT_EQ(m_today.index(1, column).data().toString(), row1[column]) << column;
    }
    // Asked again (from the cache) and after the row changed underneath.
    EXPECT_EQ(m_today.index(1, 3).data().toString(), QStringLiteral("浦发银行"));
    ASSERT_TRUE(
        m_alerts.update(alertRecord("a1", "2013-11-24 11:00:00", "工商银行"), alertServerTime()));
    EXPECT_EQ(m_today.index(1, 3).data().toString(), QStringLiteral("工商银行"));
    EXPECT_EQ(m_today.index(1, 1).data().toString(), QStringLiteral("2013-11-24 11:00:00"));

    const QStringList headers = {"",         "发布时间", "股票代码", "股票名称",
                                 "操作方式", "买入价格", "卖出价格", "备注"};
    for (int column = 0; column < 8; ++column) {
        EXPECT_EQ(m_today.headerData(column, Qt::Horizontal).toString(), headers[column]);
    }
    EXPECT_FALSE(m_today.index(0, 1).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(m_today.data(m_today.index(0, 1), Qt::EditRole).isValid());
    EXPECT_FALSE(m_today.alertRow(2));
    EXPECT_FALSE(m_today.alertRow(-1));
    ASSERT_TRUE(m_today.alertRow(0));
    EXPECT_EQ(m_today.alertRow(0)->name, G("浦发银行"));
}

// The ids of the list's rows the filter lets through, top first: what a
// filtered model must show after any edit.
QStringList filteredIds(const core::AlertList& list, const core::AlertFilter& filter) {
    QStringList ids;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (filter.matches(list.row(row))) {
            ids << QString::fromUtf8(list.row(row).id.data(),
                                     static_cast<qsizetype>(list.row(row).id.size()));
        }
    }
    return ids;
}

TEST_F(AlertTableModelTest, AFilteredModelFollowsEveryKindOfEdit) {
    ModelTesterLog log;
    QAbstractItemModelTester tester(&m_today,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    const core::AlertFilter filter(G("工商"));
    const auto placeNamed = [&](const std::string& id, const std::string& name) {
        m_alerts.place(alertRecord(id, "2013-11-24 09:00:00", name), alertServerTime());
    };
    const core::AlertList& list = m_alerts.list(core::AlertListId::Today);
    const auto check = [&](const char* step) {
        EXPECT_EQ(columnTexts(m_today, 0), filteredIds(list, filter)) << step;
        for (int row = 0; row < m_today.rowCount(); ++row) {
            EXPECT_EQ(m_today.rowOfSource(m_today.sourceRow(row)), row) << step;
        }
    };

    placeNamed("a1", "工商银行");
    placeNamed("a2", "浦发银行");
    m_today.setFilter(filter);
    check("filter set");
    placeNamed("a3", "工商银行");  // shown, on top
    placeNamed("a4", "浦发银行");  // hidden, on top
    placeNamed("a5", "工商银行");
    check("inserted");
    ASSERT_TRUE(
        m_alerts.update(alertRecord("a2", "2013-11-24 10:00:00", "工商银行"), alertServerTime()));
    check("a hidden row now matches");
    ASSERT_TRUE(
        m_alerts.update(alertRecord("a3", "2013-11-24 10:00:00", "招商银行"), alertServerTime()));
    check("a shown row no longer matches");
    ASSERT_TRUE(
        m_alerts.update(alertRecord("a5", "2013-11-24 10:00:00", "工商银行 A"), alertServerTime()));
    check("a shown row changed and still matches");
    const std::vector<std::string> hidden = {"a4"};
    m_alerts.remove(hidden);
    check("a hidden row removed");
    const std::vector<std::string> shown = {"a5", "a1"};
    m_alerts.remove(shown);
    check("shown rows removed at the top and the bottom");
    m_alerts.replaceAll(
        std::vector<protocol::AlertRecord>{alertRecord("r1", "2013-11-24 08:00:00", "工商银行"),
                                           alertRecord("r2", "2013-11-24 08:00:00", "浦发银行")},
        alertServerTime());
    check("reset");
    m_today.setFilter(core::AlertFilter());
    EXPECT_EQ(columnTexts(m_today, 0), (QStringList{"r2", "r1"}));

    EXPECT_TRUE(ModelTesterLog::messages().isEmpty())
        << ModelTesterLog::messages().join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace lanzhou::display
