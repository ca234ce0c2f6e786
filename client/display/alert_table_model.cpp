#include "client/display/alert_table_model.h"

#include <cstddef>

#include "client/display/qt_text.h"

namespace lanzhou::display {

namespace {

const std::array<const char*, AlertTableModel::kColumnCount> kHeaders = {
    "", "发布时间", "股票代码", "股票名称", "操作方式", "买入价格", "卖出价格", "备注"};

}  // namespace

AlertTableModel::AlertTableModel(const core::AlertList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_rowCount(list.rowCount()) {}

int AlertTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int AlertTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant AlertTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (coreRow(index.row()) < 0) {
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

const core::AlertRow* AlertTableModel::alertRow(int row) const {
    if (row < 0 || row >= m_rowCount) {
        return nullptr;
    }
    const int at = coreRow(row);
    return at < 0 ? nullptr : &m_list.row(at);
}

void AlertTableModel::rowInserted(int row) {
    // The list already holds the new row: until endInsertRows the rows from
    // `row` on are answered from one further down.
    clearCache();
    m_pending = Pending::Insert;
    m_pendingRow = row;
    beginInsertRows({}, row, row);
    m_pending = Pending::None;
    m_rowCount = m_list.rowCount();
    endInsertRows();
    clearCache();
}

void AlertTableModel::rowChanged(int row) {
    clearCache();
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DisplayRole});
}

void AlertTableModel::rowRemoved(int row) {
    // The list no longer holds the row: until endRemoveRows the rows after it
    // are answered from one further up.
    clearCache();
    m_pending = Pending::Remove;
    m_pendingRow = row;
    beginRemoveRows({}, row, row);
    m_pending = Pending::None;
    m_rowCount = m_list.rowCount();
    endRemoveRows();
    clearCache();
}

void AlertTableModel::reset() {
    clearCache();
    beginResetModel();
    m_rowCount = m_list.rowCount();
    endResetModel();
}

int AlertTableModel::coreRow(int row) const {
    int at = row;
    if (m_pending == Pending::Insert && row >= m_pendingRow) {
        at = row + 1;
    } else if (m_pending == Pending::Remove && row >= m_pendingRow) {
        at = row == m_pendingRow ? -1 : row - 1;
    }
    // Between beginResetModel and endResetModel the old count still stands.
    return at >= 0 && at < m_list.rowCount() ? at : -1;
}

QString AlertTableModel::cellText(int row, int column) const {
    const int at = coreRow(row);
    const std::string& gbk = m_list.row(at)[static_cast<std::size_t>(column)];
    if (m_pending != Pending::None) {
        return fromGbk(gbk);  // rows are numbered differently for a moment
    }
    const std::size_t slot =
        (static_cast<std::size_t>(row) * kColumnCount + static_cast<std::size_t>(column)) %
        m_cache.size();
    CachedCell& cell = m_cache[slot];
    if (cell.row != row || cell.column != column) {
        cell.row = row;
        cell.column = column;
        cell.text = fromGbk(gbk);
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
