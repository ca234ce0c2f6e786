#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/alert_id_index.h"
#include "client/core/alert_row.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {

// The two alert lists of the main window: today's alerts (the server's date
// or later) and older ones. Rows are never sorted: the newest insertion is on
// top. Each row holds the eight texts of an AlertRow.

enum class AlertListId { Today = 0, History = 1 };

// TodayList when the record's date is the server's date or later.
AlertListId chooseAlertList(const protocol::DateTime& recordTime,
                            const protocol::DateTime& serverTime);

// The row as the list shows it: views of the record's texts, the time through
// FormatAlertTime (written into `timeText`).
AlertRow alertRow(const protocol::AlertRecord& record, protocol::DateTimeText& timeText);

// FormatAlertTime: "2013-11-24 09:05:03" (year not padded).
std::string formatAlertTime(const protocol::DateTime& time);
// The same into `out`; the result views `out`.
std::string_view formatAlertTime(const protocol::DateTime& time, protocol::DateTimeText& out);

// One list. Row 0 is the top row. The texts of all rows live in one block:
// a row costs no allocation of its own, and inserting one copies its texts
// once, to the end of the block. The texts of changed and removed rows stay
// behind until they are half of the block, which is then packed.
class AlertList final {
public:
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // The texts of a row; the views stay valid until the list changes.
    AlertRow row(int index) const;
    // The first row from the top whose id matches (ASCII letters without
    // regard to case); -1 when none.
    int findRow(std::string_view id) const;

    // These copy the texts of `row`, which may be views of this list.
    void insertTop(const AlertRow& row);
    void setRow(int index, const AlertRow& row);
    void removeRow(int index);
    void clear();

    // Bytes of the text block, the texts left behind included.
    std::size_t textBytes() const { return m_textSize; }

private:
    static constexpr std::size_t kTexts = 8;

    // Where a row's texts are: they start at `start` in the block, and text
    // k ends at start + ends[k].
    struct Entry {
        std::size_t start = 0;
        std::array<std::uint32_t, kTexts> ends{};
    };

    // Stored bottom first, so that inserting on top is an append.
    std::size_t storageIndex(int row) const {
        return m_rows.size() - 1 - static_cast<std::size_t>(row);
    }
    std::string_view text(const Entry& entry, std::size_t k) const;
    // Appends the texts of `row` to the block.
    Entry store(const AlertRow& row);
    // The texts of `entry` are no longer used.
    void release(const Entry& entry);
    void pack();

    std::vector<Entry> m_rows;
    // The texts of the rows one after the other: m_textSize bytes of
    // m_textCapacity are used, m_unusedBytes of them left behind.
    std::unique_ptr<char[]> m_texts;
    std::size_t m_textSize = 0;
    std::size_t m_textCapacity = 0;
    std::size_t m_unusedBytes = 0;
    AlertIdIndex m_ids;  // the ids of m_rows
};

// Told of every change of the lists' shape twice: before it is made (the
// lists are still as they were) and after (they are as they now stay), as Qt
// list models announce their rows. A row's new texts are told after.
class AlertListObserver {
public:
    virtual ~AlertListObserver() = default;
    virtual void rowAboutToBeInserted(AlertListId /*list*/, int /*row*/) {}
    virtual void rowInserted(AlertListId list, int row) = 0;
    virtual void rowChanged(AlertListId list, int row) = 0;
    virtual void rowAboutToBeRemoved(AlertListId /*list*/, int /*row*/) {}
    virtual void rowRemoved(AlertListId list, int row) = 0;
    // Both lists are cleared or refilled as a whole.
    virtual void listsAboutToBeReset() {}
    virtual void listsReset() = 0;
};

// ClearAlertLists, PlaceAlert, UpdateAlert and RemoveAlerts.
class AlertListModel final {
public:
    const AlertList& list(AlertListId id) const { return m_lists[static_cast<int>(id)]; }
    void setObserver(AlertListObserver* observer) { m_observer = observer; }

    void clear();
    void place(const protocol::AlertRecord& record, const protocol::DateTime& serverTime);
    // The same from the fields as read: each text of the row is made once.
    void place(const protocol::AlertFields& fields, const protocol::DateTime& serverTime);
    // Overwrites the first matching row of the list the record's date selects;
    // false (nothing changed) when that list holds no such id.
    bool update(const protocol::AlertRecord& record, const protocol::DateTime& serverTime);
    bool update(const protocol::AlertFields& fields, const protocol::DateTime& serverTime);
    // Each id in order: from TodayList if there, else from HistoryList.
    void remove(std::span<const std::string> ids);
    // The "#59" answer: clear, then place every record in order (the last on
    // top), told the observer as one reset.
    void replaceAll(std::span<const protocol::AlertRecord> records,
                    const protocol::DateTime& serverTime);
    // How many alerts place() has put in the lists so far (the "#59" answer's
    // rows not counted): the difference of two readings is what arrived
    // between them.
    std::uint64_t placedCount() const { return m_placedCount; }

private:
    AlertList& mutableList(AlertListId id) { return m_lists[static_cast<int>(id)]; }
    void insertTop(AlertListId id, const AlertRow& row);
    // Clears both lists, then has `refill` place rows, as one reset.
    template <typename Refill>
    void reset(Refill refill);

    std::array<AlertList, 2> m_lists;
    AlertListObserver* m_observer = nullptr;
    std::uint64_t m_placedCount = 0;
};

}  // namespace lanzhou::core
