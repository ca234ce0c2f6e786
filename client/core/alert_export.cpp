#include "client/core/alert_export.h"

#include "client/core/alert_csv.h"
#include "client/core/texts.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace lanzhou::core {

namespace {

void addRows(AlertCsv& csv, const AlertList& list, const AlertFilter& filter) {
    for (int row = 0; row < list.rowCount(); ++row) {
        const AlertRow texts = list.row(row);
        if (filter.matches(texts)) {
            csv.addRow(texts);
        }
    }
}

}  // namespace

Result<int> exportAlerts(const AlertListModel& alerts, ExportedLists lists,
                         const AlertFilter& filter, const std::filesystem::path& path) {
    AlertCsv csv;
    if (lists != ExportedLists::History) {
        addRows(csv, alerts.list(AlertListId::Today), filter);
    }
    if (lists != ExportedLists::Today) {
        addRows(csv, alerts.list(AlertListId::History), filter);
    }
    if (!platform::writeFileAtomically(path, csv.bytes())) {
        return fail(gbk(text::kExportFailed) + platform::gbkFromPath(path));
    }
    return csv.rowCount();
}

}  // namespace lanzhou::core
