#pragma once

#include <string>
#include <string_view>

#include "client/core/alert_row.h"

namespace lanzhou::core {

// The CSV text of exported alerts, as spreadsheet programs on Chinese systems
// read it: UTF-8 with a byte-order mark, a header row with the detail panel's
// field names (发布时间 to 备注), one row per alert in the order added, CRLF
// after every line, the last included.
class AlertCsv final {
public:
    AlertCsv();  // the mark and the header row

    // The row's texts (GBK) from the time to the remark; the id is not written.
    void addRow(const AlertRow& row);

    int rowCount() const { return m_rows; }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    int m_rows = 0;
};

// Appends one field (UTF-8) as it is written: a text a spreadsheet would take
// for a formula (first character = + - @, tab or CR) gets a leading
// apostrophe unless it is a plain number (optional sign, digits, optionally a
// point and digits); then the field is quoted, quotes doubled, when it holds
// a comma, a quote, CR or LF.
void appendCsvField(std::string& out, std::string_view text);

}  // namespace lanzhou::core
