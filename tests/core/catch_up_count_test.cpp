#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/alert_list_model.h"
#include "client/core/catch_up_count.h"
#include "protocol/date_time.h"

namespace lanzhou::test {
namespace {

protocol::AlertRecord record(std::string id, std::string time) {
    return {std::move(id), std::move(time), "600000", "n", "o", "1", "2", "r", "1", "1"};
}

std::vector<protocol::AlertRecord> records(const std::vector<std::string>& ids) {
    std::vector<protocol::AlertRecord> result;
    for (const auto& id : ids) {
        result.push_back(record(id, "2026-12-11 10:00:00"));
    }
    return result;
}

TEST(CatchUpCount, CountsTheDistinctIdsNotKnown) {
    const protocol::DateTime now{2026, 12, 11, 12, 0, 0};
    core::AlertListModel lists;
    // One row in each list before the drop.
    lists.replaceAll(std::vector<protocol::AlertRecord>{record("a1", "2026-12-11 09:00:00"),
                                                        record("h1", "2026-12-10 09:00:00")},
                     now);

    struct Case {
        const char* what;
        std::vector<std::string> live;    // seen on their own after the drop
        std::vector<std::string> answer;  // ids of the list answer
        int expected;
    };
    const std::vector<Case> cases = {
        {"nothing new", {}, {"a1", "h1"}, 0},
        {"empty answer", {}, {}, 0},
        {"new ones on top of the known", {}, {"a1", "h1", "n1", "n2"}, 2},
        {"known ones removed meanwhile", {}, {"n1"}, 1},
        {"ids compare without Latin case", {}, {"A1", "H1", "n1"}, 1},
        {"an id twice counts once", {}, {"n1", "n1"}, 1},
        {"arrived live before the answer", {"n1"}, {"a1", "n1", "n2"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        core::CatchUpCount count;
        count.rememberLists(lists);
        for (const auto& id : c.live) {
            count.seen(id);
        }
        EXPECT_EQ(count.countNew(records(c.answer)), c.expected);
    }
}

TEST(CatchUpCount, RememberingAgainForgetsWhatWasKnown) {
    core::CatchUpCount count;
    count.seen("x");
    count.rememberLists(core::AlertListModel{});
    EXPECT_EQ(count.countNew(records({"x"})), 1);
}

}  // namespace
}  // namespace lanzhou::test
