#pragma once

namespace lanzhou::app {

// Keeps Qt's and the embedded browser's own debug, info and warning reports
// off standard error, where a member's terminal keeps the client's lines:
// the warnings of the client's own categories ("lanzhou.*") still come
// through. Rules the member set in QT_LOGGING_RULES are left as they are.
void quietForeignReports();

}  // namespace lanzhou::app
