#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>

#include "client/core/alert_list_model.h"

namespace lanzhou::display {

// One of the core's alert lists as a Qt table of eight columns (id, time,
// code, name, operation, buy, sell, remark). Texts are converted from GBK
// only when a view asks for a cell, through a small cache of recent cells,
// so a list of a hundred thousand rows costs the views nothing up front.
//
// The core changes its list first and says so afterwards. Between the begin
// and end signals of an insertion or removal this model still answers for the
// list as it was (its own row count, rows past the change shifted by one), as
// Qt's protocol requires; a removed row has no texts during that time.
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

    // The core's row behind a row of this model (GBK texts); nullptr when
    // there is none.
    const core::AlertRow* alertRow(int row) const;

    // The core's news, after the change was made.
    void rowInserted(int row);
    void rowChanged(int row);
    void rowRemoved(int row);
    void reset();

private:
    enum class Pending { None, Insert, Remove };

    struct CachedCell {
        int row = -1;
        int column = -1;
        QString text;
    };

    // The core's row index for a row of this model; -1 when it has none.
    int coreRow(int row) const;
    QString cellText(int row, int column) const;
    void clearCache();

    const core::AlertList& m_list;
    int m_rowCount = 0;  // what the views were last told
    Pending m_pending = Pending::None;
    int m_pendingRow = 0;
    mutable std::array<CachedCell, 512> m_cache;  // direct-mapped by cell
};

}  // namespace lanzhou::display
