// The console front end: its search keeps the lines and rows of the search's events, and its report
// keeps every device text readable as UTF-8, aligned by display width or as CSV.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "addressing/AddressPlanning.h"
#include "cli/ConsoleSearch.h"
#include "cli/SearchReport.h"
#include "platform/Text.h"
#include "tests/support/FakeClock.h"
#include "tests/support/InMemoryNetwork.h"

namespace tesmara {
namespace {

struct ConsoleSearch : ::testing::Test {
    testing::FakeClock clock{5000};
    testing::InMemoryNetwork network{clock};

    ConsoleSearch() {
        clock.SetReadStep(1);
        SetAnsiCodePage(936);
    }

    nlohmann::json Search(bool ownAddress) {
        SearchJob job;
        job.assign = !ownAddress;
        MakeAddressPlan(job.plan, "172.16.0.11");
        cli::SegmentSearch search = cli::SearchSegment(job, network, clock, nullptr);
        return nlohmann::json::parse(cli::ReportJson(search.completed, search.log, search.Rows()));
    }
};

TEST_F(ConsoleSearch, JsonReportCarriesLogRowsAndRecordedSettings) {
    network.AddDevices(2);
    network.Device(1).info.details.description = "\xb2\xe2\xca\xd4";  // "测试" in code page 936
    nlohmann::json report = Search(true);
    EXPECT_TRUE(report["ok"]);
    ASSERT_EQ(2u, report["log"].size());
    EXPECT_EQ("white", report["log"][0]["colour"]);
    EXPECT_EQ("Search completed!", report["log"][1]["text"]);
    EXPECT_EQ("green", report["log"][1]["colour"]);
    ASSERT_EQ(2u, report["devices"].size());
    const nlohmann::json& second = report["devices"][1];
    EXPECT_EQ("2", second["no"]);
    EXPECT_EQ("00-1A-2B-00-00-01", second["mac"]);
    EXPECT_EQ("192.168.1.21", second["ip"]);
    EXPECT_EQ("-- --", second["upgradeStatus"]);
    EXPECT_EQ("\xe6\xb5\x8b\xe8\xaf\x95", second["description"]);  // UTF-8 "测试"
    EXPECT_EQ("255.255.255.0", second["mask"]);
    EXPECT_EQ(34567, second["tcpPort"]);
    EXPECT_EQ(80, second["httpPort"]);
    EXPECT_EQ(false, second["checked"]);
}

TEST_F(ConsoleSearch, AssignModeFailureIsReportedNotOk) {
    network.OccupyPort(5001);
    nlohmann::json report = Search(false);
    EXPECT_FALSE(report["ok"]);
    EXPECT_EQ("\xe6\x90\x9c\xe7\xb4\xa2\xe8\xae\xbe\xe5\xa4\x87\xe5\xa4\xb1\xe8\xb4\xa5!Err = -6",
              report["log"].back()["text"]);  // "搜索设备失败!Err = -6"
    EXPECT_EQ("red", report["log"].back()["colour"]);
    EXPECT_TRUE(report["devices"].empty());
}

TEST(ConsoleTable, ColumnsAlignByDisplayWidth) {
    TableRow wide;
    wide.cells = {L"1", L"00-1A-2B-3C-4D-5E", L"10.0.0.2", L"-- --", L"", L"大门", L"", L"", L"",
                  L""};
    TableRow narrow = wide;
    narrow.cells[0] = L"2";
    narrow.cells[5] = L"Gate";
    std::string text = cli::TableText({wide, narrow});
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[0].find("NO.  MAC Address"));
    // "大门" is two characters of two columns each, six bytes: the row with it is two bytes longer
    // than the row with "Gate", and both end right after the description column.
    EXPECT_EQ(lines[2].size() + 2, lines[1].size());
    EXPECT_EQ(lines[1].find("大门"), lines[2].find("Gate"));
}

TEST(ConsoleTable, ControlCharactersInDeviceTextsAreShownAsEscapes) {
    TableRow row;
    row.cells = {L"1",
                 L"00-1A-2B-3C-4D-5E",
                 L"10.0.0.2",
                 L"-- --",
                 L"a\tb",
                 L"Gate\n2  00-00-00-00-00-99\r",
                 L"\x1b[31mV1\x1b[0m",
                 L"\x7f\x9b",
                 L"\x202e",
                 L""};
    std::string text = cli::TableText({row});
    EXPECT_EQ(2, std::count(text.begin(), text.end(), '\n'));  // the header and one row
    for (char c : text) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << int(c);
    EXPECT_NE(std::string::npos, text.find("Gate\\n2  00-00-00-00-00-99\\r"));
    EXPECT_NE(std::string::npos, text.find("\\x1B[31mV1\\x1B[0m"));
    EXPECT_NE(std::string::npos, text.find("\\x7F\\x9B"));
    EXPECT_NE(std::string::npos, text.find("\\u202E"));
    EXPECT_NE(std::string::npos, text.find("a\\tb"));
}

TEST(ConsoleTable, CsvHasEveryColumnUnderItsHeaderQuotedAsTheReport) {
    TableRow row;
    row.cells = {L"1",          L"00-1A-2B-3C-4D-5E", L"10.0.0.2", L"-- --", L"",
                 L"大门, east", L"=HYPERLINK(1)",     L"",         L"",      L"x"};
    EXPECT_EQ(cli::TableCsv({row}),
              "NO.,MAC Address,IP Address,Upgrade Status,Cloud ID,Device Description,Release "
              "Version,Release Time,Device Time,Device Start Time\r\n"
              "1,00-1A-2B-3C-4D-5E,10.0.0.2,'-- --,,\"大门, east\",'=HYPERLINK(1),,,x\r\n");
}

}  // namespace
}  // namespace tesmara
