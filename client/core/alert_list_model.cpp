#include "client/core/alert_list_model.h"

#include <cassert>
#include <iterator>

#include "protocol/gbk_text.h"

namespace lanzhou::core {

AlertListId chooseAlertList(const protocol::DateTime& recordTime,
                            const protocol::DateTime& serverTime) {
    return serverTime.dayNumber() - recordTime.dayNumber() <= 0 ? AlertListId::Today
                                                                : AlertListId::History;
}

std::string formatAlertTime(const protocol::DateTime& time) {
    return protocol::formatDateTime(time);
}

AlertRow alertRow(const protocol::AlertRecord& record) {
    return AlertRow{record.id,        formatAlertTime(protocol::parseDateTime(record.time)),
                    record.code,      record.name,
                    record.operation, record.buy,
                    record.sell,      record.remark};
}

// ------------------------------------------------------------------ AlertList

const AlertRow& AlertList::row(int index) const {
    assert(index >= 0 && index < rowCount());
    return m_rows[storageIndex(index)];
}

int AlertList::findRow(std::string_view id) const {
    // Most ids asked for are in no row: the index answers those at once.
    if (m_idCounts.find(protocol::foldLatinCase(id)) == m_idCounts.end()) {
        return -1;
    }
    // From the top, which is the end of the storage.
    for (std::size_t i = m_rows.size(); i-- > 0;) {
        if (protocol::equalsIgnoringLatinCase(m_rows[i][0], id)) {
            return static_cast<int>(m_rows.size() - 1 - i);
        }
    }
    return -1;
}

void AlertList::insertTop(AlertRow row) {
    ++m_idCounts[protocol::foldLatinCase(row[0])];
    m_rows.push_back(std::move(row));
}

void AlertList::setRow(int index, AlertRow row) {
    assert(index >= 0 && index < rowCount());
    AlertRow& target = m_rows[storageIndex(index)];
    if (!protocol::equalsIgnoringLatinCase(target[0], row[0])) {
        const auto old = m_idCounts.find(protocol::foldLatinCase(target[0]));
        if (old != m_idCounts.end() && --old->second == 0) {
            m_idCounts.erase(old);
        }
        ++m_idCounts[protocol::foldLatinCase(row[0])];
    }
    target = std::move(row);
}

void AlertList::removeRow(int index) {
    assert(index >= 0 && index < rowCount());
    const std::size_t at = storageIndex(index);
    const auto counted = m_idCounts.find(protocol::foldLatinCase(m_rows[at][0]));
    if (counted != m_idCounts.end() && --counted->second == 0) {
        m_idCounts.erase(counted);
    }
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(at));
}

void AlertList::clear() {
    m_rows.clear();
    m_idCounts.clear();
}

// ------------------------------------------------------------- AlertListModel

void AlertListModel::clear() {
    for (AlertList& list : m_lists) {
        list.clear();
    }
    if (m_observer != nullptr) {
        m_observer->listsReset();
    }
}

void AlertListModel::place(const protocol::AlertRecord& record,
                           const protocol::DateTime& serverTime) {
    const AlertListId id = chooseAlertList(protocol::parseDateTime(record.time), serverTime);
    mutableList(id).insertTop(alertRow(record));
    if (m_observer != nullptr) {
        m_observer->rowInserted(id, 0);
    }
}

bool AlertListModel::update(const protocol::AlertRecord& record,
                            const protocol::DateTime& serverTime) {
    // Only the list the date selects is searched: an alert whose date moved
    // across the day boundary is not found.
    const AlertListId id = chooseAlertList(protocol::parseDateTime(record.time), serverTime);
    AlertList& list = mutableList(id);
    const int row = list.findRow(record.id);
    if (row < 0) {
        return false;
    }
    list.setRow(row, alertRow(record));
    if (m_observer != nullptr) {
        m_observer->rowChanged(id, row);
    }
    return true;
}

void AlertListModel::remove(std::span<const std::string> ids) {
    for (const std::string& alertId : ids) {
        for (const AlertListId id : {AlertListId::Today, AlertListId::History}) {
            AlertList& list = mutableList(id);
            const int row = list.findRow(alertId);
            if (row < 0) {
                continue;
            }
            list.removeRow(row);
            if (m_observer != nullptr) {
                m_observer->rowRemoved(id, row);
            }
            break;
        }
    }
}

void AlertListModel::replaceAll(std::span<const protocol::AlertRecord> records,
                                const protocol::DateTime& serverTime) {
    for (AlertList& list : m_lists) {
        list.clear();
    }
    for (const protocol::AlertRecord& record : records) {
        mutableList(chooseAlertList(protocol::parseDateTime(record.time), serverTime))
            .insertTop(alertRow(record));
    }
    if (m_observer != nullptr) {
        m_observer->listsReset();
    }
}

}  // namespace lanzhou::core
