#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "client/core/alert_filter.h"
#include "client/core/alert_list_model.h"

namespace lanzhou::display {

// One of the core's alert lists as a Qt table of eight columns (id, time,
// code, name, operation, buy, sell, remark). Texts are converted from GBK
// only when a view asks for a cell, through a small cache of recent cells,
// so a list of a hundred thousand rows costs the views nothing up front.
//
// The core tells of each change before and after it makes it; those are the
// begin and end calls of Qt's protocol, so this model always answers for the
// list as it stands.
//
// A filter shows only the rows it lets through, in the list's order; the
// model then keeps the list's numbers of the rows it shows. Rows the core
// inserts, changes or removes appear, move or go as the filter says.
class AlertTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 8;

    explicit AlertTableModel(const core::AlertList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The core's row behind a row of this model (GBK texts, valid until the
    // list changes); nothing when there is none.
    std::optional<core::AlertRow> alertRow(int row) const;

    // Shows the rows `filter` lets through (every row when it is empty), as
    // one reset of the model.
    void setFilter(core::AlertFilter filter);
    const core::AlertFilter& filter() const { return m_filter; }
    // The list's number of a row of this model, and the row of this model
    // that shows a row of the list; -1 when there is none.
    int sourceRow(int row) const;
    int rowOfSource(int sourceRow) const;

    // The core's news, with the list's row numbers: before a change of the
    // rows and after it.
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowChanged(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void aboutToBeReset();
    void reset();

private:
    struct CachedCell {
        int row = -1;
        int column = -1;
        QString text;
    };

    QString cellText(int row, int column) const;
    void clearCache();
    bool filtering() const { return !m_filter.empty(); }
    // The list's rows the filter lets through, top first.
    void collectShownRows();
    // The first entry of m_shown at or after `sourceRow`.
    std::vector<int>::iterator shownFrom(int sourceRow);
    // Adds `delta` to the entries of m_shown from `sourceRow` on.
    void shiftShownRows(int sourceRow, int delta);

    const core::AlertList& m_list;
    core::AlertFilter m_filter;
    std::vector<int> m_shown;  // while filtering: the list's rows shown, ascending
    bool m_removingShownRow = false;
    mutable std::array<CachedCell, 512> m_cache;  // direct-mapped by cell
};

}  // namespace lanzhou::display
