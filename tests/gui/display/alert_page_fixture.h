#pragma once

// Shared pieces of the alert page and alert table tests: records dated
// against a fixed server time, and the texts of a table view.

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>

#include <string>

#include "client/core/alert_list_model.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::test {

// The server's clock in these tests: 24 November 2013, noon.
inline protocol::DateTime alertServerTime() {
    return {2013, 11, 24, 12, 0, 0};
}

// An alert with GBK texts; `time` as the server would send it.
inline protocol::AlertRecord alertRecord(const std::string& id, const std::string& time,
                                         const std::string& name = "浦发银行",
                                         const std::string& remark = "<b>注意</b>风险") {
    protocol::AlertRecord record;
    record.id = id;
    record.time = time;
    record.code = "600000";
    record.name = G(name);
    record.operation = G("买入");
    record.buy = "9.85";
    record.sell = "10.20";
    record.remark = G(remark);
    record.audience = "0";
    record.popup = "0";
    return record;
}

// One column of a model, top to bottom.
inline QStringList columnTexts(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.index(row, column).data().toString();
    }
    return texts;
}

}  // namespace lanzhou::test
