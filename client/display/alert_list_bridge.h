#pragma once

#include "client/core/alert_list_model.h"

namespace lanzhou::display {

class AlertTableModel;

// Hands the core's news about its two alert lists to the two table models.
class AlertListBridge final : public core::AlertListObserver {
public:
    AlertListBridge(AlertTableModel& today, AlertTableModel& history);

    void rowAboutToBeInserted(core::AlertListId list, int row) override;
    void rowInserted(core::AlertListId list, int row) override;
    void rowChanged(core::AlertListId list, int row) override;
    void rowAboutToBeRemoved(core::AlertListId list, int row) override;
    void rowRemoved(core::AlertListId list, int row) override;
    void listsAboutToBeReset() override;
    void listsReset() override;

private:
    AlertTableModel& model(core::AlertListId list);

    AlertTableModel& m_today;
    AlertTableModel& m_history;
};

}  // namespace lanzhou::display
