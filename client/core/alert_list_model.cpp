#include "client/core/alert_list_model.h"

#include <cassert>
#include <iterator>
#include <tuple>
#include <utility>

#include "protocol/gbk_text.h"

namespace lanzhou::core {

namespace {

// True for "YYYY-MM-DD HH:MM:SS" with a four-digit year not starting with 0:
// a valid time in this form is already what formatAlertTime writes.
bool hasNormalForm(std::string_view text) {
    constexpr std::string_view kPattern = "dddd-dd-dd dd:dd:dd";
    if (text.size() != kPattern.size() || text[0] == '0') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i]) {
            return false;
        }
    }
    return true;
}

// The time column: the text as sent when it is already normalised (kept
// without formatting it again), otherwise `time` formatted into `buffer`.
std::string_view normalisedTime(std::string_view text, const protocol::DateTime& time,
                                protocol::DateTimeText& buffer) {
    if (time != protocol::DateTime::null() && hasNormalForm(text)) {
        return text;
    }
    return formatAlertTime(time, buffer);
}

// `time` is the fields' time as read.
AlertRow rowOf(const protocol::AlertFields& f, const protocol::DateTime& time) {
    protocol::DateTimeText buffer;
    return AlertRow({.id = f.id,
                     .time = normalisedTime(f.time, time, buffer),
                     .code = f.code,
                     .name = f.name,
                     .operation = f.operation,
                     .buy = f.buy,
                     .sell = f.sell,
                     .remark = f.remark});
}

}  // namespace

AlertListId chooseAlertList(const protocol::DateTime& recordTime,
                            const protocol::DateTime& serverTime) {
    // Calendar dates compare part by part, largest first.
    const auto date = [](const protocol::DateTime& t) { return std::tie(t.year, t.month, t.day); };
    return date(recordTime) >= date(serverTime) ? AlertListId::Today : AlertListId::History;
}

std::string formatAlertTime(const protocol::DateTime& time) {
    return protocol::formatDateTime(time);
}

std::string_view formatAlertTime(const protocol::DateTime& time, protocol::DateTimeText& out) {
    return protocol::formatDateTime(time, out);
}

AlertRow alertRow(const protocol::AlertRecord& record) {
    return rowOf(protocol::fieldsOf(record), protocol::parseDateTime(record.time));
}

// ------------------------------------------------------------------ AlertList

const AlertRow& AlertList::row(int index) const {
    assert(index >= 0 && index < rowCount());
    return m_rows[storageIndex(index)];
}

int AlertList::findRow(std::string_view id) const {
    // Most ids asked for are in no row: the index answers those at once.
    if (!m_ids.mayContain(id)) {
        return -1;
    }
    // From the top, which is the end of the storage.
    for (std::size_t i = m_rows.size(); i-- > 0;) {
        if (protocol::equalsIgnoringLatinCase(m_rows[i].id(), id)) {
            return static_cast<int>(m_rows.size() - 1 - i);
        }
    }
    return -1;
}

void AlertList::insertTop(AlertRow&& row) {
    m_ids.add(row.id());
    m_rows.push_back(std::move(row));
}

void AlertList::setRow(int index, AlertRow row) {
    assert(index >= 0 && index < rowCount());
    AlertRow& target = m_rows[storageIndex(index)];
    if (!protocol::equalsIgnoringLatinCase(target.id(), row.id())) {
        m_ids.remove(target.id());
        m_ids.add(row.id());
    }
    target = std::move(row);
}

void AlertList::removeRow(int index) {
    assert(index >= 0 && index < rowCount());
    const std::size_t at = storageIndex(index);
    m_ids.remove(m_rows[at].id());
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(at));
}

void AlertList::clear() {
    m_rows.clear();
    m_ids.clear();
}

// ------------------------------------------------------------- AlertListModel

void AlertListModel::insertTop(AlertListId id, AlertRow&& row) {
    if (m_observer != nullptr) {
        m_observer->rowAboutToBeInserted(id, 0);
    }
    mutableList(id).insertTop(std::move(row));
    if (m_observer != nullptr) {
        m_observer->rowInserted(id, 0);
    }
}

template <typename Refill>
void AlertListModel::reset(Refill refill) {
    if (m_observer != nullptr) {
        m_observer->listsAboutToBeReset();
    }
    for (AlertList& list : m_lists) {
        list.clear();
    }
    refill();
    if (m_observer != nullptr) {
        m_observer->listsReset();
    }
}

void AlertListModel::clear() {
    reset([] {});
}

void AlertListModel::place(const protocol::AlertRecord& record,
                           const protocol::DateTime& serverTime) {
    place(protocol::fieldsOf(record), serverTime);
}

void AlertListModel::place(const protocol::AlertFields& fields,
                           const protocol::DateTime& serverTime) {
    const protocol::DateTime time = protocol::parseDateTime(fields.time);
    insertTop(chooseAlertList(time, serverTime), rowOf(fields, time));
}

bool AlertListModel::update(const protocol::AlertRecord& record,
                            const protocol::DateTime& serverTime) {
    return update(protocol::fieldsOf(record), serverTime);
}

bool AlertListModel::update(const protocol::AlertFields& fields,
                            const protocol::DateTime& serverTime) {
    // Only the list the date selects is searched: an alert whose date moved
    // across the day boundary is not found.
    const protocol::DateTime time = protocol::parseDateTime(fields.time);
    const AlertListId id = chooseAlertList(time, serverTime);
    AlertList& list = mutableList(id);
    const int row = list.findRow(fields.id);
    if (row < 0) {
        return false;
    }
    list.setRow(row, rowOf(fields, time));
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
            if (m_observer != nullptr) {
                m_observer->rowAboutToBeRemoved(id, row);
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
    reset([&] {
        for (const protocol::AlertRecord& record : records) {
            const protocol::DateTime time = protocol::parseDateTime(record.time);
            mutableList(chooseAlertList(time, serverTime))
                .insertTop(rowOf(protocol::fieldsOf(record), time));
        }
    });
}

}  // namespace lanzhou::core
