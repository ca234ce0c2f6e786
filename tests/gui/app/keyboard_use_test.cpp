// The main window from the keyboard: the tabs switch with Ctrl+Tab and
// Ctrl+PgDn/PgUp, the lists move with the arrows, Home/End and PgUp/PgDn,
// and the detail panel follows the selection.

#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include <string>

#include <gtest/gtest.h>

#include "client/display/alert_page.h"
#include "protocol/date_time.h"
#include "tests/gui/app/access_fixture.h"
#include "tests/support/fake_service.h"

namespace lanzhou::test {
namespace {

constexpr int kTodayAlerts = 40;

class KeyboardUse : public AccessClient {
protected:
    void SetUp() override {
        FakeServiceScript script = demoScript();
        for (int i = 0; i < kTodayAlerts; ++i) {
            protocol::AlertRecord alert;
            alert.id = std::to_string(5000 + i);
            alert.time = protocol::formatDateTime(script.now);
            alert.code = std::to_string(700000 + i);
            alert.name = "N";
            alert.operation = "B";
            alert.buy = "1.00";
            alert.sell = "2.00";
            alert.remark = "R";
            alert.audience = "1";
            alert.popup = "0";
            script.alerts.push_back(alert);
        }
        start(std::move(script));
        logIn();
        main().show();
        QApplication::setActiveWindow(&main());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    }

    QTableView& today() { return main().alertPage().todayList(); }
    int selectedRow() {
        const QModelIndexList rows = today().selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }
    QString shownCode() { return child<QLabel>(&main(), "股票代码_标签")->text(); }
    QString codeOfRow(int row) {
        return QStringLiteral("股票代码：") + today().model()->index(row, 2).data().toString();
    }
};

TEST_F(KeyboardUse, TheListMovesWithItsKeysAndTheDetailPanelFollows) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return today().model()->rowCount() >= kTodayAlerts; }));
    const int last = today().model()->rowCount() - 1;
    today().setFocus(Qt::TabFocusReason);
    today().selectRow(0);

    struct Case {
        Qt::Key key;
        std::function<bool(int row)> lands;
        const char* where;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Down, [](int row) { return row == 1; }, "the next row"},
        {Qt::Key_End, [&](int row) { return row == last; }, "the last row"},
        {Qt::Key_Up, [&](int row) { return row == last - 1; }, "the row above"},
        {Qt::Key_Home, [](int row) { return row == 0; }, "the first row"},
        {Qt::Key_PageDown, [&](int row) { return row > 1 && row < last; }, "a page down"},
        {Qt::Key_PageUp, [](int row) { return row == 0; }, "a page up, the first row"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.where);
        QTest::keyClick(&today(), each.key);
        const int row = selectedRow();
        EXPECT_TRUE(each.lands(row)) << row;
        EXPECT_EQ(shownCode(), codeOfRow(row));
    }
}

TEST_F(KeyboardUse, TheTabsSwitchFromTheKeyboardAndThePageTakesTheFocus) {
    const QStringList titles = m_client->frame().tabTitles(&main());
    ASSERT_GE(titles.size(), 2);
    today().setFocus(Qt::TabFocusReason);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString tab;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Tab, Qt::ControlModifier, titles[1]},
        {Qt::Key_PageUp, Qt::ControlModifier, titles[0]},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, titles.back()},
        {Qt::Key_PageDown, Qt::ControlModifier, titles[0]},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.tab.toStdString());
        QTest::keyClick(QApplication::focusWidget(), each.key, each.modifiers);
        EXPECT_EQ(m_client->frame().selectedTab(&main()), each.tab);
    }
    // Back on the alert tab, in its first control: the search box above the lists.
    EXPECT_EQ(QApplication::focusWidget(),
              main().alertPage().findChild<QWidget*>(QStringLiteral("搜索_输入框")));
}

}  // namespace
}  // namespace lanzhou::test
