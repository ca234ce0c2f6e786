#include "client/display/alert_table_model.h"

#include <algorithm>
#include <cstddef>
#include <utility>

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
    if (parent.isValid()) {
        return 0;
    }
    return filtering() ? static_cast<int>(m_shown.size()) : m_list.rowCount();
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
    const int source = sourceRow(row);
    if (source < 0) {
        return std::nullopt;
    }
    return m_list.row(source);
}

void AlertTableModel::setFilter(core::AlertFilter filter) {
    if (filter == m_filter) {
        return;
    }
    beginResetModel();
    clearCache();
    m_filter = std::move(filter);
    collectShownRows();
    endResetModel();
}

int AlertTableModel::sourceRow(int row) const {
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    return filtering() ? m_shown[static_cast<std::size_t>(row)] : row;
}

int AlertTableModel::rowOfSource(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= m_list.rowCount()) {
        return -1;
    }
    if (!filtering()) {
        return sourceRow;
    }
    const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), sourceRow);
    return found != m_shown.end() && *found == sourceRow ? static_cast<int>(found - m_shown.begin())
                                                         : -1;
}

void AlertTableModel::rowAboutToBeInserted(int row) {
    clearCache();  // the rows below move
    if (!filtering()) {
        beginInsertRows({}, row, row);
    }
    // Filtering, whether the row is shown is known only once it is there.
}

void AlertTableModel::rowInserted(int row) {
    clearCache();  // asked during the insertion, rows were numbered as before
    if (!filtering()) {
        endInsertRows();
        return;
    }
    shiftShownRows(row, +1);
    if (m_filter.matches(m_list.row(row))) {
        const auto place = shownFrom(row);
        const int shownRow = static_cast<int>(place - m_shown.begin());
        beginInsertRows({}, shownRow, shownRow);
        m_shown.insert(place, row);
        clearCache();  // asked during the insertion, rows were numbered as before
        endInsertRows();
    }
}

void AlertTableModel::rowChanged(int row) {
    clearCache();
    if (!filtering()) {
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DisplayRole});
        return;
    }
    const auto place = shownFrom(row);
    const int shownRow = static_cast<int>(place - m_shown.begin());
    const bool shown = place != m_shown.end() && *place == row;
    const bool matches = m_filter.matches(m_list.row(row));
    if (shown && matches) {
        emit dataChanged(index(shownRow, 0), index(shownRow, kColumnCount - 1), {Qt::DisplayRole});
    } else if (shown) {
        beginRemoveRows({}, shownRow, shownRow);
        m_shown.erase(place);
        clearCache();
        endRemoveRows();
    } else if (matches) {
        beginInsertRows({}, shownRow, shownRow);
        m_shown.insert(place, row);
        clearCache();  // asked during the insertion, rows were numbered as before
        endInsertRows();
    }
}

void AlertTableModel::rowAboutToBeRemoved(int row) {
    clearCache();
    if (!filtering()) {
        beginRemoveRows({}, row, row);
        return;
    }
    const auto place = shownFrom(row);
    m_removingShownRow = place != m_shown.end() && *place == row;
    if (m_removingShownRow) {
        const int shownRow = static_cast<int>(place - m_shown.begin());
        beginRemoveRows({}, shownRow, shownRow);
        m_shown.erase(place);
    }
}

void AlertTableModel::rowRemoved(int row) {
    clearCache();  // asked during the removal, rows were numbered as before
    if (!filtering()) {
        endRemoveRows();
        return;
    }
    shiftShownRows(row, -1);
    if (std::exchange(m_removingShownRow, false)) {
        clearCache();
        endRemoveRows();
    }
}

void AlertTableModel::aboutToBeReset() {
    clearCache();
    beginResetModel();
}

void AlertTableModel::reset() {
    clearCache();
    collectShownRows();
    endResetModel();
}

void AlertTableModel::collectShownRows() {
    m_shown.clear();
    if (!filtering()) {
        m_shown.shrink_to_fit();
        return;
    }
    const int count = m_list.rowCount();
    for (int row = 0; row < count; ++row) {
        if (m_filter.matches(m_list.row(row))) {
            m_shown.push_back(row);
        }
    }
}

std::vector<int>::iterator AlertTableModel::shownFrom(int sourceRow) {
    return std::lower_bound(m_shown.begin(), m_shown.end(), sourceRow);
}

void AlertTableModel::shiftShownRows(int sourceRow, int delta) {
    for (auto entry = shownFrom(sourceRow); entry != m_shown.end(); ++entry) {
        *entry += delta;
    }
}

QString AlertTableModel::cellText(int row, int column) const {
    const std::size_t slot =
        (static_cast<std::size_t>(row) * kColumnCount + static_cast<std::size_t>(column)) %
        m_cache.size();
    CachedCell& cell = m_cache[slot];
    if (cell.row != row || cell.column != column) {
        cell.row = row;
        cell.column = column;
        const int source = sourceRow(row);
        cell.text = source < 0 ? QString() : fromGbk(columnText(m_list.row(source), column));
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
