#include "client/core/alert_list_model.h"

#include <algorithm>
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

// `time` is the fields' time as read; a formatted time goes into `timeText`.
AlertRow rowOf(const protocol::AlertFields& f, const protocol::DateTime& time,
               protocol::DateTimeText& timeText) {
    return AlertRow{.id = f.id,
                    .time = normalisedTime(f.time, time, timeText),
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
    return std::string_view(m_texts).substr(entry.start + begin, entry.ends[k] - begin);
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
    const auto append = [&texts](std::string& block) {
        Entry entry;
        entry.start = block.size();
        for (std::size_t k = 0; k < kTexts; ++k) {
            block.append(texts[k]);
            entry.ends[k] = static_cast<std::uint32_t>(block.size() - entry.start);
        }
        return entry;
    };
    if (m_texts.capacity() - m_texts.size() >= size) {
        // No reallocation: texts viewing this block stay where they are.
        return append(m_texts);
    }
    // A larger block; the old one, which the texts may view, goes after.
    std::string grown;
    grown.reserve(std::max(2 * m_texts.capacity(), m_texts.size() + size));
    grown.append(m_texts);
    const Entry entry = append(grown);
    m_texts.swap(grown);
    return entry;
}

void AlertList::release(const Entry& entry) {
    m_unusedBytes += entry.ends[kTexts - 1];
    if (m_texts.size() >= kSmallestPackedBlock && 2 * m_unusedBytes > m_texts.size()) {
        pack();
    }
}

void AlertList::pack() {
    std::string packed;
    packed.reserve(m_texts.size() - m_unusedBytes);
    for (Entry& entry : m_rows) {
        const std::size_t size = entry.ends[kTexts - 1];
        const std::size_t start = packed.size();
        packed.append(m_texts, entry.start, size);
        entry.start = start;
    }
    m_texts.swap(packed);
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
    if (m_texts.capacity() > kKeptTextBytes) {
        std::string().swap(m_texts);
    } else {
        m_texts.clear();
    }
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
