#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <optional>

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

    // The core's news: before a change of the rows and after it.
    void rowAboutToBeInserted(int row);
    void rowInserted();
    void rowChanged(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved();
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

    const core::AlertList& m_list;
    mutable std::array<CachedCell, 512> m_cache;  // direct-mapped by cell
};

}  // namespace lanzhou::display
