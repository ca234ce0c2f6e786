#include "client/core/alert_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/core/alert_csv.h"
#include "client/core/texts.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

const std::string kHead =
    "\xEF\xBB\xBF"
    "发布时间,股票代码,股票名称,操作方式,买入价格,卖出价格,备注\r\n";

struct FieldCase {
    std::string text;
    std::string written;
};

class CsvFieldCases : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CsvFieldCases, GuardsFormulasThenQuotes) {
    std::string out;
    appendCsvField(out, GetParam().text);
    EXPECT_EQ(out, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvFieldCases,
    ::testing::Values(
        FieldCase{"", ""}, FieldCase{"浦发银行", "浦发银行"}, FieldCase{"a,b", "\"a,b\""},
        FieldCase{"say \"hi\"", "\"say \"\"hi\"\"\""}, FieldCase{"one\r\ntwo", "\"one\r\ntwo\""},
        FieldCase{"one\ntwo", "\"one\ntwo\""}, FieldCase{"=1+2", "'=1+2"},
        FieldCase{"+cmd", "'+cmd"}, FieldCase{"-1+2", "'-1+2"}, FieldCase{"@SUM(A1)", "'@SUM(A1)"},
        FieldCase{"\tx", "'\tx"}, FieldCase{"\rx", "\"'\rx\""}, FieldCase{"=a,b", "\"'=a,b\""},
        FieldCase{"-", "'-"}, FieldCase{"-9.85", "-9.85"}, FieldCase{"+12", "+12"},
        FieldCase{"-12.", "'-12."}, FieldCase{"-.5", "'-.5"}, FieldCase{"a=1", "a=1"}));

protocol::AlertRecord record(const std::string& id, const std::string& time,
                             const std::string& code, const std::string& nameUtf8) {
    protocol::AlertRecord r;
    r.id = id;
    r.time = time;
    r.code = code;
    r.name = G(nameUtf8);
    r.operation = G("买入");
    r.buy = "-9.85";
    r.sell = "=1+2";
    r.remark = G("放量,\"突破\"\r\n止损");
    r.audience = "0";
    r.popup = "0";
    return r;
}

class AlertExportTest : public ::testing::Test {
protected:
    AlertExportTest() {
        const protocol::DateTime server{2013, 11, 24, 12, 0, 0};
        // Placed bottom first: the last placed is the top row.
        m_alerts.place(record("H1", "2013-11-20 10:00:00", "600001", "甲"), server);
        m_alerts.place(record("T1", "2013-11-24 09:00:00", "600002", "乙"), server);
        m_alerts.place(record("H2", "2013-11-21 10:00:00", "000003", "丙"), server);
        m_alerts.place(record("T2", "2013-11-24 09:30:00", "000004", "丁"), server);
    }

    static std::string row(const char* time, const char* code, const char* name) {
        return std::string(time) + "," + code + "," + name +
               ",买入,-9.85,'=1+2,\"放量,\"\"突破\"\"\r\n止损\"\r\n";
    }

    std::vector<std::filesystem::path> files() const {
        std::vector<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_scratch.path())) {
            names.push_back(entry.path().filename());
        }
        return names;
    }

    AlertListModel m_alerts;
    test::ScratchDirectory m_scratch;
};

TEST_F(AlertExportTest, WritesTheFilteredListsTopFirstTodayBeforeHistory) {
    struct Case {
        ExportedLists lists;
        const char* filter;
        int rows;
        std::string body;
    };
    const std::vector<Case> cases = {
        {ExportedLists::Both, "", 4,
         row("2013-11-24 09:30:00", "000004", "丁") + row("2013-11-24 09:00:00", "600002", "乙") +
             row("2013-11-21 10:00:00", "000003", "丙") +
             row("2013-11-20 10:00:00", "600001", "甲")},
        {ExportedLists::Both, "600", 2,
         row("2013-11-24 09:00:00", "600002", "乙") + row("2013-11-20 10:00:00", "600001", "甲")},
        {ExportedLists::Today, "", 2,
         row("2013-11-24 09:30:00", "000004", "丁") + row("2013-11-24 09:00:00", "600002", "乙")},
        {ExportedLists::History, "0003", 1, row("2013-11-21 10:00:00", "000003", "丙")},
        {ExportedLists::Both, "none", 0, ""},
    };
    const std::filesystem::path path = m_scratch.path() / "alerts.csv";
    for (const Case& c : cases) {
        const Result<int> written = exportAlerts(m_alerts, c.lists, AlertFilter(c.filter), path);
        ASSERT_TRUE(written) << c.filter;
        EXPECT_EQ(*written, c.rows) << c.filter;
        EXPECT_EQ(platform::readFile(path), kHead + c.body) << c.filter;
    }
    EXPECT_EQ(files(), std::vector<std::filesystem::path>{"alerts.csv"});
}

TEST_F(AlertExportTest, AnUnwritablePathGivesThePromptAndLeavesNoFile) {
    std::filesystem::create_directory(m_scratch.path() / "folder");
    const std::vector<std::filesystem::path> paths = {
        m_scratch.path() / "missing" / "alerts.csv",  // no such folder
        m_scratch.path() / "folder",                  // a folder stands there
    };
    for (const auto& path : paths) {
        const Result<int> written =
            exportAlerts(m_alerts, ExportedLists::Both, AlertFilter(), path);
        ASSERT_FALSE(written) << path;
        EXPECT_EQ(written.error(), gbk(text::kExportFailed) + platform::gbkFromPath(path));
    }
    EXPECT_EQ(files(), std::vector<std::filesystem::path>{"folder"});
    EXPECT_TRUE(std::filesystem::is_empty(m_scratch.path() / "folder"));
}

}  // namespace
}  // namespace lanzhou::core
