#include "client/core/alert_list_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

const protocol::DateTime kServer{2013, 11, 24, 15, 30, 0};

protocol::AlertRecord record(std::string id, std::string time, std::string code = "600000") {
    protocol::AlertRecord r;
    r.id = std::move(id);
    r.time = std::move(time);
    r.code = std::move(code);
    static const std::string name = G("浦发银行");
    static const std::string operation = G("买入");
    r.name = name;
    r.operation = operation;
    r.buy = "10.5";
    r.sell = "11.2";
    r.remark = "<b>note</b>";
    r.audience = "1";
    r.popup = "1";
    return r;
}

// Records every notification as one line of text.
class RecordingObserver final : public AlertListObserver {
public:
    std::vector<std::string> calls;

    void rowInserted(AlertListId list, int row) override { add("insert", list, row); }
    void rowChanged(AlertListId list, int row) override { add("change", list, row); }
    void rowRemoved(AlertListId list, int row) override { add("remove", list, row); }
    void listsReset() override { calls.push_back("reset"); }

private:
    void add(const char* what, AlertListId list, int row) {
        calls.push_back(std::string(what) + (list == AlertListId::Today ? " today " : " history ") +
                        std::to_string(row));
    }
};

std::vector<std::string> ids(const AlertList& list) {
    std::vector<std::string> result;
    for (int i = 0; i < list.rowCount(); ++i) {
        result.emplace_back(list.row(i).id);
    }
    return result;
}

class AlertListModelTest : public ::testing::Test {
protected:
    AlertListModel model;
    RecordingObserver observer;
    void SetUp() override { model.setObserver(&observer); }
    const AlertList& today() const { return model.list(AlertListId::Today); }
    const AlertList& history() const { return model.list(AlertListId::History); }
};

TEST(AlertListChoice, ByDateAgainstTheServersDate) {
    struct Case {
        protocol::DateTime time;
        AlertListId list;
    };
    const Case cases[] = {
        {{2013, 11, 24, 0, 0, 0}, AlertListId::Today},
        {{2013, 11, 24, 23, 59, 59}, AlertListId::Today},
        {{2013, 11, 25, 8, 0, 0}, AlertListId::Today},  // tomorrow
        {{2013, 11, 23, 23, 59, 59}, AlertListId::History},
        {{2012, 11, 24, 15, 30, 0}, AlertListId::History},
        {protocol::DateTime::null(), AlertListId::History},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseAlertList(c.time, kServer), c.list) << protocol::formatDateTime(c.time);
    }
}

TEST(AlertRowText, HasTheEightColumnsWithTheTimeNormalised) {
    const protocol::AlertRecord sent = record("A7", "2013/11/24 9:05:03");
    protocol::DateTimeText timeText;
    const AlertRow row = alertRow(sent, timeText);
    const std::string name = G("浦发银行");
    const std::string operation = G("买入");
    const AlertRow expected{.id = "A7",
                            .time = "2013-11-24 09:05:03",
                            .code = "600000",
                            .name = name,
                            .operation = operation,
                            .buy = "10.5",
                            .sell = "11.2",
                            .remark = "<b>note</b>"};
    EXPECT_EQ(row, expected);
    EXPECT_EQ(alertRow(record("x", "garbage"), timeText).time, "100-01-01 00:00:00");
    EXPECT_EQ(formatAlertTime({2013, 11, 24, 9, 5, 3}), "2013-11-24 09:05:03");
    EXPECT_EQ(formatAlertTime({987, 1, 2, 3, 4, 5}), "987-01-02 03:04:05");
}

TEST_F(AlertListModelTest, PlaceInsertsOnTopOfTheDatesList) {
    model.place(record("1", "2013-11-24 09:00:00"), kServer);
    model.place(record("2", "2013-11-23 09:00:00"), kServer);
    model.place(record("3", "2013-11-24 10:00:00"), kServer);
    model.place(record("4", "not a date"), kServer);
    EXPECT_EQ(ids(today()), (std::vector<std::string>{"3", "1"}));
    EXPECT_EQ(ids(history()), (std::vector<std::string>{"4", "2"}));
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"insert today 0", "insert history 0",
                                                        "insert today 0", "insert history 0"}));
}

TEST_F(AlertListModelTest, PlacingATemporaryRecordGivesTheSameRows) {
    // The record's texts move into the row; the time column is the same
    // normalised text either way, kept as sent only when it already is.
    const char* times[] = {"2013-11-24 09:05:03",
                           "2013-11-24 9:05:03",
                           "2013/11/24 09:05:03",
                           "2013-02-30 09:05:03",
                           "0999-01-01 00:00:00",
                           "2013-11-24",
                           "garbage"};
    for (const char* time : times) {
        SCOPED_TRACE(time);
        AlertListModel copied;
        AlertListModel moved;
        const protocol::AlertRecord original = record("M1", time);
        copied.place(original, kServer);
        moved.place(protocol::AlertRecord(original), kServer);
        for (const AlertListId id : {AlertListId::Today, AlertListId::History}) {
            ASSERT_EQ(moved.list(id).rowCount(), copied.list(id).rowCount());
            if (copied.list(id).rowCount() == 1) {
                EXPECT_EQ(moved.list(id).row(0), copied.list(id).row(0));
                protocol::DateTimeText timeText;
                EXPECT_EQ(moved.list(id).row(0), alertRow(original, timeText));
            }
        }
        EXPECT_TRUE(moved.update(record("m1", time, "000002"), kServer));
    }
}

TEST_F(AlertListModelTest, ReplaceAllPutsTheLastOnTopWithOneReset) {
    model.place(record("old", "2013-11-24 09:00:00"), kServer);
    observer.calls.clear();
    const std::vector<protocol::AlertRecord> records = {
        record("a", "2013-11-24 09:00:00"), record("b", "2013-11-24 09:01:00"),
        record("c", "2013-11-20 09:02:00"), record("d", "2013-11-24 09:03:00")};
    model.replaceAll(records, kServer);
    EXPECT_EQ(ids(today()), (std::vector<std::string>{"d", "b", "a"}));
    EXPECT_EQ(ids(history()), (std::vector<std::string>{"c"}));
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"reset"}));
    EXPECT_EQ(today().findRow("old"), -1);

    model.clear();
    EXPECT_EQ(today().rowCount() + history().rowCount(), 0);
    EXPECT_EQ(observer.calls.back(), "reset");
}

TEST_F(AlertListModelTest, UpdateSearchesOnlyTheDatesListIgnoringLatinCase) {
    model.place(record("Ab1", "2013-11-24 09:00:00"), kServer);
    model.place(record("h1", "2013-11-20 09:00:00"), kServer);
    model.place(record("zz", "2013-11-24 09:30:00"), kServer);
    observer.calls.clear();

    EXPECT_TRUE(model.update(record("aB1", "2013-11-24 11:00:00", "000001"), kServer));
    EXPECT_EQ(today().row(1).id, "aB1");  // column 0 too is overwritten
    EXPECT_EQ(today().row(1).time, "2013-11-24 11:00:00");
    EXPECT_EQ(today().row(1).code, "000001");
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"change today 1"}));

    // In the history list, but the record is dated today: not found.
    EXPECT_FALSE(model.update(record("h1", "2013-11-24 09:00:00", "999999"), kServer));
    EXPECT_EQ(history().row(0).code, "600000");
    // Unknown id.
    EXPECT_FALSE(model.update(record("nope", "2013-11-24 09:00:00"), kServer));
    EXPECT_EQ(observer.calls.size(), 1u);
    // The id index follows a changed spelling.
    EXPECT_EQ(today().findRow("AB1"), 1);
}

TEST_F(AlertListModelTest, RemoveTakesTodayFirstThenHistory) {
    model.place(record("x", "2013-11-20 09:00:00"), kServer);
    model.place(record("y", "2013-11-20 09:00:00"), kServer);
    model.place(record("X", "2013-11-24 09:00:00"), kServer);
    model.place(record("y", "2013-11-24 09:00:00"), kServer);  // duplicate id in today
    model.place(record("t", "2013-11-24 09:00:00"), kServer);
    observer.calls.clear();

    const std::vector<std::string> gone = {"x", "y", "y", "y", "unknown", "x"};
    model.remove(gone);
    EXPECT_EQ(ids(today()), (std::vector<std::string>{"t"}));
    EXPECT_TRUE(ids(history()).empty());
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"remove today 2", "remove today 1",
                                                        "remove history 0", "remove history 0"}));
}

// Records each call with what the lists hold at that moment.
class ShapeObserver final : public AlertListObserver {
public:
    explicit ShapeObserver(const AlertListModel& model) : m_model(model) {}
    std::vector<std::string> calls;

    void rowAboutToBeInserted(AlertListId list, int row) override {
        add("before insert", list, row);
    }
    void rowInserted(AlertListId list, int row) override { add("insert", list, row); }
    void rowChanged(AlertListId list, int row) override { add("change", list, row); }
    void rowAboutToBeRemoved(AlertListId list, int row) override {
        add("before remove", list, row);
    }
    void rowRemoved(AlertListId list, int row) override { add("remove", list, row); }
    void listsAboutToBeReset() override { calls.push_back("before reset " + counts()); }
    void listsReset() override { calls.push_back("reset " + counts()); }

private:
    void add(const char* what, AlertListId id, int row) {
        const AlertList& list = m_model.list(id);
        const std::string at(row < list.rowCount() ? list.row(row).id : "-");
        calls.push_back(std::string(what) + " " + std::to_string(row) + "=" + at + " " + counts());
    }
    std::string counts() const {
        return std::to_string(m_model.list(AlertListId::Today).rowCount()) + "+" +
               std::to_string(m_model.list(AlertListId::History).rowCount());
    }
    const AlertListModel& m_model;
};

TEST(AlertListObserverPhases, BeforeSeesTheListsAsTheyWereAndAfterAsTheyAre) {
    AlertListModel model;
    ShapeObserver observer(model);
    model.setObserver(&observer);
    model.place(record("1", "2013-11-24 09:00:00"), kServer);
    model.place(record("2", "2013-11-24 10:00:00"), kServer);
    ASSERT_TRUE(model.update(record("1", "2013-11-24 11:00:00", "600001"), kServer));
    const std::vector<std::string> removed = {"1"};
    model.remove(removed);
    const std::vector<protocol::AlertRecord> all = {record("3", "2013-11-20 09:00:00"),
                                                    record("4", "2013-11-24 09:00:00")};
    model.replaceAll(all, kServer);
    model.clear();
    EXPECT_EQ(observer.calls, (std::vector<std::string>{
                                  "before insert 0=- 0+0",
                                  "insert 0=1 1+0",
                                  "before insert 0=1 1+0",
                                  "insert 0=2 2+0",
                                  "change 1=1 2+0",
                                  "before remove 1=1 2+0",
                                  "remove 1=- 1+0",
                                  "before reset 1+0",
                                  "reset 1+1",
                                  "before reset 1+1",
                                  "reset 0+0",
                              }));
}

TEST_F(AlertListModelTest, FindRowGivesTheFirstFromTheTop) {
    model.place(record("dup", "2013-11-24 09:00:00", "first"), kServer);
    model.place(record("DUP", "2013-11-24 09:00:00", "second"), kServer);
    model.place(record("other", "2013-11-24 09:00:00"), kServer);
    EXPECT_EQ(today().findRow("Dup"), 1);
    model.remove(std::vector<std::string>{"dup"});
    EXPECT_EQ(today().findRow("dup"), 1);
    EXPECT_EQ(today().row(1).code, "first");
    model.remove(std::vector<std::string>{"dup"});
    EXPECT_EQ(today().findRow("dup"), -1);
}

TEST(AlertList, DoubleByteIdsCompareExactly) {
    AlertList list;
    list.insertTop(AlertRow{.id = "\x81\x41"});
    EXPECT_EQ(list.findRow("\x81\x61"), -1);
    EXPECT_EQ(list.findRow("\x81\x41"), 0);
    list.setRow(0, AlertRow{.id = "B"});
    EXPECT_EQ(list.findRow("\x81\x41"), -1);
    EXPECT_EQ(list.findRow("b"), 0);
    list.clear();
    EXPECT_EQ(list.findRow("b"), -1);
    EXPECT_EQ(list.rowCount(), 0);
}

TEST(AlertList, KeepsEveryTextWhereverItsRowWasStored) {
    // Empty texts at either end, rows copied from the list itself while its
    // block grows, and many changes and removals that leave texts behind
    // until the block is packed.
    AlertList list;
    list.insertTop(AlertRow{.time = "t0", .remark = "r0"});
    list.insertTop(AlertRow{.id = "b", .code = "c1", .sell = "s1"});
    for (int i = 0; i < 2000; ++i) {
        const std::string remark(static_cast<std::size_t>(i % 300), 'x');
        list.insertTop(list.row(1));  // the bottom row copied from the list itself
        list.removeRow(2);
        AlertRow changed = list.row(0);  // still views of the list but the remark
        changed.remark = remark;
        list.setRow(0, changed);
        list.insertTop(list.row(1));
        list.removeRow(2);
        list.setRow(1, list.row(1));  // a row written over with its own texts
    }
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.row(0), (AlertRow{.id = "b", .code = "c1", .sell = "s1"}));
    const std::string lastRemark(1999 % 300, 'x');
    EXPECT_EQ(list.row(1), (AlertRow{.time = "t0", .remark = lastRemark}));
    EXPECT_EQ(list.findRow("B"), 0);
    EXPECT_EQ(list.findRow(""), 1);
    // Texts left behind never reach half of a block worth packing.
    EXPECT_LT(list.textBytes(), 4096u);
}

TEST(AlertList, HandlesManyRows) {
    // A long list keeps its order and its id index (the speed of inserting on
    // top and of rejecting unknown ids is measured apart from the tests).
    AlertListModel model;
    std::vector<protocol::AlertRecord> records;
    constexpr int kRows = 50000;
    records.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        records.push_back(record("id" + std::to_string(i), "2013-11-24 09:00:00"));
    }
    model.replaceAll(records, kServer);
    const AlertList& today = model.list(AlertListId::Today);
    ASSERT_EQ(today.rowCount(), kRows);
    EXPECT_EQ(today.row(0).id, "id" + std::to_string(kRows - 1));
    std::vector<std::string> unknown(kRows, "missing");
    model.remove(unknown);
    EXPECT_EQ(today.rowCount(), kRows);
    EXPECT_EQ(today.findRow("ID0"), kRows - 1);
}

}  // namespace
}  // namespace lanzhou::core
