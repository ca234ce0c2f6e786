#include "client/display/alert_table_model.h"

#include <cstddef>

#include "ui/widgets/qt_text.h"

namespace lanzhou::display {

namespace {

const std::array<const char*, AlertTableModel::kColumnCount> kHeaders = {
    "", "发布时间", "股票代码", "股票名称", "操作方式", "买入价格", "卖出价格", "备注"};

// The text a row shows in a column, in the order of kHeaders.
std::string_view columnText(const core::AlertRow& row, int column) {
    switch (column) {
        case 0:
            return row.id;
        case 1:
            return row.time;
        case 2:
            return row.code;
        case 3:
            return row.name;
        case 4:
            return row.operation;
        case 5:
            return row.buy;
        case 6:
            return row.sell;
        default:
            return row.remark;
    }
}

}  // namespace

AlertTableModel::AlertTableModel(const core::AlertList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

int AlertTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_list.rowCount();
}

int AlertTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant AlertTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    return cellText(index.row(), index.column());
}

QVariant AlertTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumnCount) {
        return {};
    }
    return QString::fromUtf8(kHeaders[static_cast<std::size_t>(section)]);
}

std::optional<core::AlertRow> AlertTableModel::alertRow(int row) const {
    if (row < 0 || row >= m_list.rowCount()) {
        return std::nullopt;
    }
    return m_list.row(row);
}

void AlertTableModel::rowAboutToBeInserted(int row) {
    clearCache();  // the rows below move
    beginInsertRows({}, row, row);
}

void AlertTableModel::rowInserted() {
    clearCache();  // asked during the insertion, rows were numbered as before
    endInsertRows();
}

void AlertTableModel::rowChanged(int row) {
    clearCache();
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DisplayRole});
}

void AlertTableModel::rowAboutToBeRemoved(int row) {
    clearCache();
    beginRemoveRows({}, row, row);
}

void AlertTableModel::rowRemoved() {
    clearCache();  // asked during the removal, rows were numbered as before
    endRemoveRows();
}

void AlertTableModel::aboutToBeReset() {
    clearCache();
    beginResetModel();
}

void AlertTableModel::reset() {
    clearCache();
    endResetModel();
}

QString AlertTableModel::cellText(int row, int column) const {
    const std::size_t slot =
        (static_cast<std::size_t>(row) * kColumnCount + static_cast<std::size_t>(column)) %
        m_cache.size();
    CachedCell& cell = m_cache[slot];
    if (cell.row != row || cell.column != column) {
        cell.row = row;
        cell.column = column;
        cell.text = fromGbk(columnText(m_list.row(row), column));
    }
    return cell.text;
}

void AlertTableModel::clearCache() {
    for (CachedCell& cell : m_cache) {
        if (cell.row >= 0) {
            cell = CachedCell{};
        }
    }
}

}  // namespace lanzhou::display
