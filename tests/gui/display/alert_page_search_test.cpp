// The alert page's search row: the search box filtering both lists as the
// member types, Escape and the clear button, the selection through searches,
// and "导出" through its file chooser seam.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/core/alert_list_model.h"
#include "client/core/texts.h"
#include "client/display/alert_page.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "tests/gui/display/alert_page_fixture.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "ui/html/html_view.h"

namespace lanzhou::display {
namespace {

using test::alertRecord;
using test::alertServerTime;
using test::child;
using test::columnTexts;

// The widget Tab moves the focus to from `widget`.
QWidget* nextTabStop(QWidget* widget) {
    for (QWidget* next = widget->nextInFocusChain(); next != widget;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) != 0 && next->isVisible() && next->isEnabled()) {
            return next;
        }
    }
    return nullptr;
}

class AlertPageSearchTest : public ::testing::Test {
protected:
    AlertPageSearchTest() {
        const auto server = alertServerTime();
        m_alerts.place(alertRecord("h1", "2013-11-20 09:00:00", "平安银行", "<b>注意</b>"), server);
        m_alerts.place(alertRecord("h2", "2013-11-21 09:00:00", "工商银行", "<b>注意</b>"), server);
        m_alerts.place(alertRecord("t1", "2013-11-24 09:00:00", "浦发银行", "<b>注意</b>"), server);
        m_alerts.place(alertRecord("t2", "2013-11-24 09:30:00", "工商银行", "Stop 止损"), server);
        m_page.show();
    }

    QStringList today() { return columnTexts(*m_page.todayList().model(), 0); }
    QStringList history() { return columnTexts(*m_page.historyList().model(), 0); }
    QString shownName() {
        auto* label = child<QLabel>(&m_page, "股票名称_标签");
        return label ? label->text() : QString();
    }

    core::AlertListModel m_alerts;
    test::RecordingPrompts m_prompts;
    AlertPage m_page{m_alerts, m_prompts};
};

struct SearchCase {
    QString text;
    QStringList today;
    QStringList history;
};

TEST_F(AlertPageSearchTest, BothListsShowWhatTheSearchFinds) {
    const std::vector<SearchCase> cases = {
        {"", {"t2", "t1"}, {"h2", "h1"}},
        {"工商", {"t2"}, {"h2"}},                // name
        {"STOP", {"t2"}, {}},                    // remark, other case
        {"平安", {}, {"h1"}},                    // one list only
        {"600000", {"t2", "t1"}, {"h2", "h1"}},  // code
        {"找不到", {}, {}},                      // none
    };
    for (const SearchCase& c : cases) {
        m_page.setSearchText(c.text);
        EXPECT_EQ(today(), c.today) << c.text.toStdString();
        EXPECT_EQ(history(), c.history) << c.text.toStdString();
    }
}

TEST_F(AlertPageSearchTest, TypingEscapeAndTheClearButton) {
    QLineEdit& box = m_page.searchBox();
    QTest::keyClicks(&box, QStringLiteral("sto"));  // one filter per key
    EXPECT_EQ(today(), QStringList{"t2"});
    EXPECT_TRUE(history().isEmpty());
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(m_page.searchText().isEmpty());
    EXPECT_EQ(today(), (QStringList{"t2", "t1"}));
    EXPECT_EQ(history(), (QStringList{"h2", "h1"}));

    m_page.setSearchText(QStringLiteral("平安"));
    QTest::mouseClick(&m_page.clearSearchButton(), Qt::LeftButton);
    EXPECT_TRUE(m_page.searchText().isEmpty());
    EXPECT_EQ(history(), (QStringList{"h2", "h1"}));

    // Named for a screen reader, and reached with Tab in the order of the row.
    EXPECT_EQ(box.accessibleName(), QStringLiteral("搜索"));
    EXPECT_EQ(m_page.clearSearchButton().accessibleName(), QStringLiteral("清除搜索"));
    EXPECT_EQ(m_page.exportButton().accessibleName(), QStringLiteral("导出"));
    EXPECT_EQ(nextTabStop(&box), &m_page.clearSearchButton());
    EXPECT_EQ(nextTabStop(&m_page.clearSearchButton()), &m_page.exportButton());
    EXPECT_EQ(nextTabStop(&m_page.exportButton()), &m_page.todayList());
    EXPECT_EQ(nextTabStop(&m_page.todayList()), &m_page.historyList());
}

TEST_F(AlertPageSearchTest, TheSelectedRowStaysSelectedOrComesBackWhenShownAgain) {
    QTableView& list = m_page.todayList();
    list.selectRow(1);  // t1
    ASSERT_EQ(shownName(), QStringLiteral("股票名称：浦发银行"));
    QSignalSpy loads(&m_page.remarkBrowser(), &QWebEngineView::loadStarted);

    m_page.setSearchText(QStringLiteral("600"));  // still shown: still selected, not shown anew
    ASSERT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.selectionModel()->selectedRows().front().data().toString(), "t1");
    EXPECT_TRUE(loads.isEmpty());

    m_page.setSearchText(QStringLiteral("工商"));  // hidden: no selection, the panel stays
    EXPECT_TRUE(list.selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(shownName(), QStringLiteral("股票名称：浦发银行"));

    // A new alert on top while it is hidden; the search cleared shows it
    // again, selected at its new row.
    m_alerts.place(alertRecord("t3", "2013-11-24 10:00:00", "招商银行"), alertServerTime());
    m_page.setSearchText({});
    ASSERT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.selectionModel()->selectedRows().front().row(), 2);
    EXPECT_EQ(list.selectionModel()->selectedRows().front().data().toString(), "t1");
    EXPECT_EQ(shownName(), QStringLiteral("股票名称：浦发银行"));

    // A row the member chose meanwhile wins over the one the search hid.
    m_page.setSearchText(QStringLiteral("工商"));
    list.selectRow(0);  // t2
    m_page.setSearchText({});
    EXPECT_EQ(list.selectionModel()->selectedRows().front().data().toString(), "t2");
}

TEST_F(AlertPageSearchTest, ShowLatestAlertClearsASearchThatHidesIt) {
    m_page.setSearchText(QStringLiteral("浦发"));  // t1 shown, t2 on top hidden
    m_page.showLatestAlert();
    EXPECT_TRUE(m_page.searchText().isEmpty());
    EXPECT_TRUE(m_page.todayList().selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(shownName(), QStringLiteral("股票名称：工商银行"));

    m_page.setSearchText(QStringLiteral("工商"));  // the latest alert shown: the search stays
    m_page.showLatestAlert();
    EXPECT_EQ(m_page.searchText(), QStringLiteral("工商"));
}

TEST_F(AlertPageSearchTest, ExportWritesBothListsAsShownToTheChosenFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("预警.csv"));
    int asked = 0;
    QString answer;
    m_page.setExportFileChooser([&](QWidget& parent) {
        EXPECT_EQ(&parent, &m_page);
        ++asked;
        return answer;
    });

    QTest::mouseClick(&m_page.exportButton(), Qt::LeftButton);  // cancelled
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFile::exists(path));

    m_page.setSearchText(QStringLiteral("工商"));
    answer = path;
    QTest::mouseClick(&m_page.exportButton(), Qt::LeftButton);
    const auto bytes = platform::readFile(std::filesystem::path(path.toStdU16String()));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes,
              "\xEF\xBB\xBF"
              "发布时间,股票代码,股票名称,操作方式,买入价格,卖出价格,备注\r\n"
              "2013-11-24 09:30:00,600000,工商银行,买入,9.85,10.20,Stop 止损\r\n"
              "2013-11-21 09:00:00,600000,工商银行,买入,9.85,10.20,<b>注意</b>\r\n");
    EXPECT_TRUE(m_prompts.prompts.empty());

    const QString unwritable = folder.filePath(QStringLiteral("missing/预警.csv"));
    EXPECT_FALSE(m_page.exportTo(unwritable));
    ASSERT_EQ(m_prompts.prompts.size(), 1u);
    EXPECT_EQ(m_prompts.prompts.front(),
              core::gbk(core::text::kExportFailed) +
                  platform::gbkFromPath(std::filesystem::path(unwritable.toStdU16String())));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"预警.csv"});
}

}  // namespace
}  // namespace lanzhou::display
