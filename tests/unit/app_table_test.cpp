// The device table's rebuild after a search and the "All" box, through the recording view.
#include <gtest/gtest.h>

#include "app/MainDialogState.h"
#include "devaccess/PlaceholderDeviceAccess.h"
#include "platform/Address.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "res/MainDlgRes.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDialogs.h"
#include "view/DeviceTable.h"
#include "view/MacText.h"

namespace tesmara {
namespace {

using testing::RecordingMainView;

struct TableFixture : ::testing::Test {
    RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    PlaceholderDeviceAccess access;
    MainDialogState dialog{view, dialogs, SystemSockets(), SystemClock(), access};

    DeviceRow& AddDevice(const char* mac, uint8_t shown) {
        DeviceRow row;
        row.shown = shown;
        row.macText = mac;
        row.ipText = "192.168.1.50";
        row.details.cloudId = "cloud";
        row.details.description = "desc";
        row.details.releaseVersion = "V1";
        row.details.releaseTime = "RT";
        row.details.deviceTime = "DT";
        row.details.startTime = "ST";
        dialog.m_devices.push_back(row);
        return dialog.m_devices.back();
    }
};

TEST(MacText, DashedAndCompactKeepByteOrderInUpperCase) {
    const uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xfe};
    EXPECT_EQ(FormatMacDashed(mac), "00-1A-2B-3C-4D-FE");
    EXPECT_EQ(FormatMacCompact(mac), "001A2B3C4DFE");
}

TEST(Ticks, DifferencesHoldAcrossWrap) {
    EXPECT_EQ(TicksSince(10u, 0xFFFFFFF0u), 26u);
    EXPECT_EQ(TicksSince(999u, 0xFFFFFFFFu - 2000u), 3000u);
    EXPECT_EQ(TicksSince(5000u, 2000u), 3000u);
}

TEST(Addresses, ParseFormatAndHostOrder) {
    EXPECT_EQ(FormatAddress(ParseAddress("192.168.1.20")), "192.168.1.20");
    EXPECT_EQ(ParseAddress("not an address"), kAddressNone);
    EXPECT_EQ(AddressToHostOrder("10.0.0.5"), 0x0A000005u);
    EXPECT_EQ(AddressToHostOrder("garbage"), 0xFFFFFFFFu);
}

TEST_F(TableFixture, FillNumbersShownRowsInListOrderAllUnchecked) {
    DeviceRow& a = AddDevice("00-00-00-00-00-01", 1);
    AddDevice("00-00-00-00-00-02", 0);  // unconfirmed: stays in the list, gets no row
    DeviceRow& c = AddDevice("00-00-00-00-00-03", 1);
    view.checks[IDC_ALL] = true;
    FillDeviceTable(dialog.m_view, dialog.m_devices);

    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].cells[0], L"1");
    EXPECT_EQ(view.rows[1].cells[0], L"2");
    EXPECT_EQ(view.rows[1].cells[1], L"00-00-00-00-00-03");
    EXPECT_EQ(view.rows[0].device, &a);
    EXPECT_EQ(view.rows[1].device, &c);
    const std::vector<std::wstring> expected = {
        L"1", L"00-00-00-00-00-01", L"192.168.1.50", L"-- --", L"cloud", L"desc", L"V1", L"RT",
        L"DT"};
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(view.rows[0].cells[i], expected[i]);
    EXPECT_EQ(view.rows[0].cells[9], L"ST");
    EXPECT_FALSE(view.rows[0].checked);
    EXPECT_FALSE(view.IsButtonChecked(IDC_ALL));
    EXPECT_FALSE(view.enabled.at(IDC_MODIFY_ADDRESS));
    EXPECT_FALSE(view.enabled.at(IDC_MODIFY_PORTS));
    EXPECT_FALSE(view.enabled.at(IDC_MODIFY_PASSWORD));
    EXPECT_TRUE(view.redraw);
}

TEST_F(TableFixture, FillWithNothingShownLeavesAllAndModifyButtonsAlone) {
    AddDevice("00-00-00-00-00-02", 0);
    view.checks[IDC_ALL] = true;
    FillDeviceTable(dialog.m_view, dialog.m_devices);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_TRUE(view.IsButtonChecked(IDC_ALL));
    EXPECT_TRUE(view.enabled.empty());
}

TEST_F(TableFixture, SetAllChecksTicksOrClearsEveryRowAndDisablesModify) {
    for (const char* mac : {"00-00-00-00-00-01", "00-00-00-00-00-02", "00-00-00-00-00-03"})
        AddDevice(mac, 1);
    FillDeviceTable(dialog.m_view, dialog.m_devices);
    view.enabled.clear();
    SetAllChecks(view, true);
    for (const auto& row : view.rows) EXPECT_TRUE(row.checked);
    EXPECT_FALSE(view.enabled.at(IDC_MODIFY_PASSWORD));
    SetAllChecks(view, false);
    for (const auto& row : view.rows) EXPECT_FALSE(row.checked);
}

TEST_F(TableFixture, AppendRowContinuesNumbering) {
    AddDevice("00-00-00-00-00-01", 1);
    FillDeviceTable(dialog.m_view, dialog.m_devices);
    DeviceRow added;
    added.macText = "AA-BB-CC-DD-EE-FF";
    added.ipText = "10.1.2.3";
    EXPECT_EQ(AppendDeviceRow(view, &added), 1);
    EXPECT_EQ(view.rows[1].cells[0], L"2");
    EXPECT_EQ(view.rows[1].cells[3], L"-- --");
    EXPECT_EQ(view.rows[1].device, &added);
}

}  // namespace
}  // namespace tesmara
