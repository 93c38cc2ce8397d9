// The batch commands' pure pieces: the device texts a command line gives, the rows they select
// in a search's table, the CSV fields of the report, and each device's outcome from the run's
// events.
#include <gtest/gtest.h>

#include "batch/BatchJob.h"
#include "cli/BatchReport.h"
#include "cli/ConsoleBatchStatus.h"
#include "cli/DeviceSelection.h"
#include "platform/PostedWork.h"
#include "view/DeviceTable.h"

namespace tesmara::cli {
namespace {

TEST(CliBatchInput, MacsAreSixHexPairsWithOneKindOfSeparator) {
    const struct {
        const char* text;
        const char* form;  // null: refused
    } cases[] = {
        {"00-1a-2B-3c-4D-5e", "00-1A-2B-3C-4D-5E"},
        {"00:1A:2B:3C:4D:5E", "00-1A-2B-3C-4D-5E"},
        {"00-1A:2B-3C-4D-5E", nullptr},
        {"00-1A-2B-3C-4D", nullptr},
        {"00-1A-2B-3C-4D-5G", nullptr},
        {"001A2B3C4D5E", nullptr},
        {"00-1A-2B-3C-4D-5E ", nullptr},
    };
    for (const auto& c : cases) {
        std::string form;
        const std::string reason = CheckMac(c.text, &form);
        EXPECT_EQ(reason.empty(), c.form != nullptr) << c.text;
        if (c.form) {
            EXPECT_EQ(form, c.form);
        }
    }
}

TEST(CliBatchInput, EndpointsAreStrictAddressesWithAnOptionalPort) {
    const struct {
        const char* text;
        bool good;
        uint16_t port;
    } cases[] = {
        {"192.168.1.10", true, kDefaultLoginPort},
        {"192.168.1.10:8000", true, 8000},
        {"192.168.1.10:65535", true, 65535},
        {"192.168.1.10:0", false, 0},
        {"192.168.1.10:65536", false, 0},
        {"192.168.1.10:080", false, 0},
        {"192.168.1.10:", false, 0},
        {"192.168.1.10:80x", false, 0},
        {"192.168.1", false, 0},
        {"0.1.2.3", false, 0},
        {"255.255.255.255", false, 0},
        {"224.0.0.1", false, 0},
    };
    for (const auto& c : cases) {
        Endpoint endpoint;
        EXPECT_EQ(CheckEndpoint(c.text, &endpoint).empty(), c.good) << c.text;
        if (c.good) {
            EXPECT_EQ(endpoint.port, c.port) << c.text;
        }
    }
}

TEST(CliBatchInput, SelectionTicksEachNamedRowOnceAndListsWhatIsMissing) {
    std::vector<TableRow> table(3);
    const wchar_t* macs[] = {L"00-00-00-00-00-01", L"00-00-00-00-00-02", L"00-00-00-00-00-03"};
    const wchar_t* ips[] = {L"10.0.0.1", L"10.0.0.2", L"10.0.0.3"};
    for (size_t i = 0; i < 3; ++i) {
        table[i].cells[kColumnMac] = macs[i];
        table[i].cells[kColumnIp] = ips[i];
    }
    Selection all;
    all.all = true;
    EXPECT_EQ(SelectRows(all, table).rows, (std::vector<int>{0, 1, 2}));
    Selection some;
    some.macs = {"00-00-00-00-00-03", "00-00-00-00-00-09", "00-00-00-00-00-03"};
    SelectedRows picked = SelectRows(some, table);
    EXPECT_EQ(picked.rows, (std::vector<int>{2}));
    EXPECT_EQ(picked.notFound, (std::vector<std::string>{"00-00-00-00-00-09"}));
    Selection byAddress;
    byAddress.addresses = {"10.0.0.2", "10.0.0.20"};
    picked = SelectRows(byAddress, table);
    EXPECT_EQ(picked.rows, (std::vector<int>{1}));
    EXPECT_EQ(picked.notFound, (std::vector<std::string>{"10.0.0.20"}));
}

TEST(CliBatchReport, CsvFieldsAreQuotedAndNeverRunAsFormulas) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"V4.02", "V4.02"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM", "'@SUM"},
        {"", ""},
        {"[10.0.0.1]同步时间失败！Error = 3", "[10.0.0.1]同步时间失败！Error = 3"},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(CliBatchReport, SummaryEscapesDeviceTextsAsTheSearchTableDoes) {
    DeviceOutcome device;
    device.mac = "00-1A-2B-3C-4D-5E";
    device.ip = "10.0.0.1";
    device.versionBefore = "V1\x1b]0;owned\x07\r";
    device.cause = "bad\u202Eimage";
    const std::string text = SummaryText({device}, false);
    EXPECT_EQ(std::string::npos, text.find_first_of("\x1b\x07\r")) << text;
    EXPECT_NE(std::string::npos, text.find("V1\\x1B]0;owned\\x07\\r  bad\\u202Eimage\n")) << text;
}

TEST(CliBatchReport, ADeviceEndsAsTheRunCountedItWithItsLastLineAndTheLibrarysCause) {
    std::vector<DeviceOutcome> devices(3);
    BatchDisplay display(DisplayStyle::kQuiet, stdout, devices.size(), 24);
    WorkQueue owner;
    ConsoleBatchStatus status(devices, display, owner);
    const BatchDevice first{"", "10.0.0.1", 34567, 0}, second{"", "10.0.0.10", 34567, 1};
    status.RunStarted({3, 0, 0});
    status.Line(&first, L"[10.0.0.1] is upgrading...", StatusColour::kProgress);
    status.Line(&second, L"[10.0.0.10] is upgrading...", StatusColour::kProgress);
    status.Line(&second, L"[10.0.0.10] upgrade failed!", StatusColour::kFailure);
    status.DeviceFinished(second, false, 14);
    status.DeviceFinished(first, true, 0);
    status.Line(&first, L"升级设备[10.0.0.1]成功！", StatusColour::kSuccess);
    status.Line(nullptr, L"a line of the run's own", StatusColour::kFailure);
    EXPECT_FALSE(status.Finished());
    status.RunFinished({3, 1, 1}, "操作完成！");

    EXPECT_TRUE(status.Finished());
    EXPECT_EQ(1, status.Finishes());
    EXPECT_EQ(std::vector<std::wstring>{L"操作完成！"}, status.Completions());
    EXPECT_EQ(5u, status.Log().size());
    EXPECT_EQ(devices[0].Result(), "success");
    EXPECT_EQ(devices[0].lastLine, "升级设备[10.0.0.1]成功！");
    EXPECT_EQ(devices[0].cause, "");
    EXPECT_GE(devices[0].seconds, 0.0);
    EXPECT_EQ(devices[1].Result(), "failed");
    EXPECT_EQ(devices[1].cause, "connection lost (14)");
    EXPECT_EQ(devices[2].Result(), "unfinished");
    EXPECT_FALSE(devices[2].Succeeded());
    devices[0].problem = "firmware version unchanged";
    EXPECT_FALSE(devices[0].Succeeded());
    EXPECT_EQ(devices[0].Result(), "firmware version unchanged");
}

}  // namespace
}  // namespace tesmara::cli
