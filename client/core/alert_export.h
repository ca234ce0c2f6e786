#pragma once

#include <filesystem>
#include <string>

#include "base/result.h"
#include "client/core/alert_filter.h"
#include "client/core/alert_list_model.h"

namespace lanzhou::core {

// Which lists an export writes; Both writes today's rows, then the history's.
enum class ExportedLists { Today, History, Both };

// Writes the rows of `lists` that `filter` lets through, top first, to `path`
// as an AlertCsv. The file is written beside its target and renamed over it,
// so a failed export leaves no partial file behind. Gives the number of rows
// written, or the prompt text (GBK): "导出失败，无法写入文件：" and the path.
Result<int> exportAlerts(const AlertListModel& alerts, ExportedLists lists,
                         const AlertFilter& filter, const std::filesystem::path& path);

}  // namespace lanzhou::core
