#include "client/core/alert_list_model.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <iterator>
#include <tuple>
#include <utility>

#include "protocol/gbk_text.h"

namespace lanzhou::core {

namespace {

// `time` is the fields' time as read, formatted into `timeText` (a time sent
// in the normal form comes out as it was sent).
AlertRow rowOf(const protocol::AlertFields& f, const protocol::DateTime& time,
               protocol::DateTimeText& timeText) {
    return AlertRow{.id = f.id,
                    .time = formatAlertTime(time, timeText),
                    .code = f.code,
                    .name = f.name,
                    .operation = f.operation,
                    .buy = f.buy,
                    .sell = f.sell,
                    .remark = f.remark};
}

// Blocks of text up to this size are kept for the next rows when a list is
// cleared; a larger one is given back.
constexpr std::size_t kKeptTextBytes = std::size_t{4} << 20;

// The first block of text holds a few rows.
constexpr std::size_t kFirstTextBytes = 1024;

// Left-behind texts are only packed away in blocks of at least this size.
constexpr std::size_t kSmallestPackedBlock = 4096;

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

AlertRow alertRow(const protocol::AlertRecord& record, protocol::DateTimeText& timeText) {
    return rowOf(protocol::fieldsOf(record), protocol::parseDateTime(record.time), timeText);
}

// ------------------------------------------------------------------ AlertList

std::string_view AlertList::text(const Entry& entry, std::size_t k) const {
    const std::size_t begin = k == 0 ? 0 : entry.ends[k - 1];
    return std::string_view(m_texts.get() + entry.start + begin, entry.ends[k] - begin);
}

AlertRow AlertList::row(int index) const {
    assert(index >= 0 && index < rowCount());
    const Entry& entry = m_rows[storageIndex(index)];
    return AlertRow{.id = text(entry, 0),
                    .time = text(entry, 1),
                    .code = text(entry, 2),
                    .name = text(entry, 3),
                    .operation = text(entry, 4),
                    .buy = text(entry, 5),
                    .sell = text(entry, 6),
                    .remark = text(entry, 7)};
}

int AlertList::findRow(std::string_view id) const {
    // Most ids asked for are in no row: the index answers those at once.
    if (!m_ids.mayContain(id)) {
        return -1;
    }
    // From the top, which is the end of the storage.
    for (std::size_t i = m_rows.size(); i-- > 0;) {
        if (protocol::equalsIgnoringLatinCase(text(m_rows[i], 0), id)) {
            return static_cast<int>(m_rows.size() - 1 - i);
        }
    }
    return -1;
}

AlertList::Entry AlertList::store(const AlertRow& row) {
    const std::array<std::string_view, kTexts> texts = {
        row.id, row.time, row.code, row.name, row.operation, row.buy, row.sell, row.remark};
    std::size_t size = 0;
    for (const std::string_view piece : texts) {
        size += piece.size();
    }
    const auto write = [&texts](char* to) {
        Entry entry;
        std::size_t end = 0;
        for (std::size_t k = 0; k < kTexts; ++k) {
            if (!texts[k].empty()) {
                std::memcpy(to + end, texts[k].data(), texts[k].size());
            }
            end += texts[k].size();
            entry.ends[k] = static_cast<std::uint32_t>(end);
        }
        return entry;
    };
    Entry entry;
    if (m_textCapacity - m_textSize >= size) {
        // Room left: texts viewing this block stay where they are.
        entry = write(m_texts.get() + m_textSize);
    } else {
        // A larger block; the old one, which the texts may view, goes after.
        const std::size_t capacity =
            std::max({2 * m_textCapacity, m_textSize + size, kFirstTextBytes});
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_textSize != 0) {
            std::memcpy(grown.get(), m_texts.get(), m_textSize);
        }
        entry = write(grown.get() + m_textSize);
        m_texts = std::move(grown);
        m_textCapacity = capacity;
    }
    entry.start = m_textSize;
    m_textSize += size;
    return entry;
}

void AlertList::release(const Entry& entry) {
    m_unusedBytes += entry.ends[kTexts - 1];
    if (m_textSize >= kSmallestPackedBlock && 2 * m_unusedBytes > m_textSize) {
        pack();
    }
}

void AlertList::pack() {
    auto packed = std::make_unique_for_overwrite<char[]>(m_textCapacity);
    std::size_t size = 0;
    for (Entry& entry : m_rows) {
        const std::size_t rowSize = entry.ends[kTexts - 1];
        if (rowSize != 0) {
            std::memcpy(packed.get() + size, m_texts.get() + entry.start, rowSize);
        }
        entry.start = size;
        size += rowSize;
    }
    m_texts = std::move(packed);
    m_textSize = size;
    m_unusedBytes = 0;
}

void AlertList::insertTop(const AlertRow& row) {
    m_ids.add(row.id);
    m_rows.push_back(store(row));
}

void AlertList::setRow(int index, const AlertRow& row) {
    assert(index >= 0 && index < rowCount());
    const Entry stored = store(row);
    Entry& target = m_rows[storageIndex(index)];
    const std::string_view oldId = text(target, 0);
    const std::string_view newId = text(stored, 0);
    if (!protocol::equalsIgnoringLatinCase(oldId, newId)) {
        m_ids.remove(oldId);
        m_ids.add(newId);
    }
    const Entry old = target;
    target = stored;
    release(old);
}

void AlertList::removeRow(int index) {
    assert(index >= 0 && index < rowCount());
    const std::size_t at = storageIndex(index);
    const Entry old = m_rows[at];
    m_ids.remove(text(old, 0));
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(at));
    release(old);
}

void AlertList::clear() {
    m_rows.clear();
    if (m_textCapacity > kKeptTextBytes) {
        m_texts.reset();
        m_textCapacity = 0;
    }
    m_textSize = 0;
    m_unusedBytes = 0;
    m_ids.clear();
}

// ------------------------------------------------------------- AlertListModel

void AlertListModel::insertTop(AlertListId id, const AlertRow& row) {
    if (m_observer != nullptr) {
        m_observer->rowAboutToBeInserted(id, 0);
    }
    mutableList(id).insertTop(row);
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
    protocol::DateTimeText timeText;
    insertTop(chooseAlertList(time, serverTime), rowOf(fields, time, timeText));
    ++m_placedCount;
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
    protocol::DateTimeText timeText;
    list.setRow(row, rowOf(fields, time, timeText));
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
            protocol::DateTimeText timeText;
            mutableList(chooseAlertList(time, serverTime))
                .insertTop(rowOf(protocol::fieldsOf(record), time, timeText));
        }
    });
}

}  // namespace lanzhou::core
