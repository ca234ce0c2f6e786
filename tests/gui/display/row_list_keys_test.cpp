#include "ui/widgets/row_list_keys.h"

#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace lanzhou::display {
namespace {

TEST(RowListKeys, HomeAndEndGoToTheFirstAndLastRowAndTheSelectionFollows) {
    QStandardItemModel model(30, 3);
    QTableView view;
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    new RowListKeys(&view);
    view.selectRow(10);

    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
    };
    const QList<Case> cases = {
        {Qt::Key_End, Qt::NoModifier, 29},
        {Qt::Key_Home, Qt::NoModifier, 0},
        {Qt::Key_Down, Qt::NoModifier, 1},
        {Qt::Key_End, Qt::ControlModifier, 29},  // the view's own, as before
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.row);
        QTest::keyClick(&view, each.key, each.modifiers);
        const QModelIndexList selected = view.selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.front().row(), each.row);
        EXPECT_EQ(view.currentIndex().row(), each.row);
    }
}

TEST(RowListKeys, AnEmptyListTakesTheKeysQuietly) {
    QStandardItemModel model(0, 3);
    QTableView view;
    view.setModel(&model);
    new RowListKeys(&view);
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_FALSE(view.currentIndex().isValid());
}

}  // namespace
}  // namespace lanzhou::display
