#pragma once

#include <string>

#include "platform/gbk.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::server {

// Alerts and notices from the columns of one result row, whatever the
// database: `row.text(i)` reads column i as UTF-8, `row.integer(i)` as a
// number. Alert queries select "id, time, code, name, operation, buy, sell,
// remark, audience, popup" (AlertRecord order), notice queries "id, time,
// title, stars, body, channel, popup".

template <class Columns>
protocol::AlertRecord alertFrom(const Columns& row) {
    protocol::AlertRecord alert;
    alert.id = std::to_string(row.integer(0));
    alert.time = row.text(1);
    alert.code = platform::gbkFromUtf8(row.text(2));
    alert.name = platform::gbkFromUtf8(row.text(3));
    alert.operation = platform::gbkFromUtf8(row.text(4));
    alert.buy = platform::gbkFromUtf8(row.text(5));
    alert.sell = platform::gbkFromUtf8(row.text(6));
    alert.remark = platform::gbkFromUtf8(row.text(7));
    alert.audience = std::to_string(row.integer(8));
    alert.popup = row.integer(9) != 0 ? "1" : "0";
    return alert;
}

template <class Columns>
protocol::NoticeRecord noticeFrom(const Columns& row) {
    protocol::NoticeRecord notice;
    notice.id = std::to_string(row.integer(0));
    notice.time = row.text(1);
    notice.title = platform::gbkFromUtf8(row.text(2));
    notice.stars = std::to_string(row.integer(3));
    notice.body = platform::gbkFromUtf8(row.text(4));
    notice.channel = std::to_string(row.integer(5));
    notice.popup = row.integer(6) != 0 ? "1" : "0";
    return notice;
}

}  // namespace lanzhou::server
