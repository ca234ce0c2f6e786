#include "client/display/alert_list_bridge.h"

#include "client/display/alert_table_model.h"

namespace lanzhou::display {

AlertListBridge::AlertListBridge(AlertTableModel& today, AlertTableModel& history)
    : m_today(today), m_history(history) {}

void AlertListBridge::rowAboutToBeInserted(core::AlertListId list, int row) {
    model(list).rowAboutToBeInserted(row);
}

void AlertListBridge::rowInserted(core::AlertListId list, int row) {
    model(list).rowInserted(row);
}

void AlertListBridge::rowChanged(core::AlertListId list, int row) {
    model(list).rowChanged(row);
}

void AlertListBridge::rowAboutToBeRemoved(core::AlertListId list, int row) {
    model(list).rowAboutToBeRemoved(row);
}

void AlertListBridge::rowRemoved(core::AlertListId list, int row) {
    model(list).rowRemoved(row);
}

void AlertListBridge::listsAboutToBeReset() {
    m_today.aboutToBeReset();
    m_history.aboutToBeReset();
}

void AlertListBridge::listsReset() {
    m_today.reset();
    m_history.reset();
}

AlertTableModel& AlertListBridge::model(core::AlertListId list) {
    return list == core::AlertListId::Today ? m_today : m_history;
}

}  // namespace lanzhou::display
