#include "client/core/catch_up_count.h"

#include "client/core/alert_list_model.h"
#include "protocol/gbk_text.h"

namespace lanzhou::core {

void CatchUpCount::rememberLists(const AlertListModel& alerts) {
    m_known.clear();
    for (const AlertListId id : {AlertListId::Today, AlertListId::History}) {
        const AlertList& list = alerts.list(id);
        for (int row = 0; row < list.rowCount(); ++row) {
            seen(list.row(row).id);
        }
    }
}

void CatchUpCount::seen(std::string_view id) {
    m_known.insert(protocol::foldLatinCase(id));
}

int CatchUpCount::countNew(std::span<const protocol::AlertRecord> answer) const {
    std::unordered_set<std::string> fresh;
    for (const protocol::AlertRecord& record : answer) {
        std::string id = protocol::foldLatinCase(record.id);
        if (!m_known.contains(id)) {
            fresh.insert(std::move(id));
        }
    }
    return static_cast<int>(fresh.size());
}

}  // namespace lanzhou::core
