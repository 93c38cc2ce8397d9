// The search that hands out addresses from the start address: numbering, confirmation, limits
// and the end of the address block.
#include <gtest/gtest.h>

#include "addressing/AddressPlanning.h"
#include "app/SearchStart.h"
#include "discovery/SearchAssignWorker.h"
#include "discovery/SearchDatagrams.h"
#include "platform/Address.h"
#include "res/MainDlgRes.h"
#include "tests/unit/discovery_search_fixture.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

struct AssignSearch : SearchFixture {
    void Plan(const char* start) { MakeAddressPlan(dialog.m_plan, start); }
};

TEST_F(AssignSearch, EmptyNetworkEndsAfterTheSearchPhaseOnly) {
    Plan("192.168.1.11");
    WindowSearchAssign(&dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"正在搜索设备...", L"搜索设备完成!"}), view.LogTexts());
    EXPECT_EQ(StatusColour::kSuccess, view.log.back().colour);
    EXPECT_EQ((std::vector<bool>{false, true}), view.windowEnabled);
    EXPECT_EQ(0, network.CountSent(kAssignMagic));
    EXPECT_GE(Elapsed(), 3000u);
    EXPECT_LT(Elapsed(), 3100u);
    EXPECT_EQ(0, network.OpenSockets());
}

TEST_F(AssignSearch, DevicesGetConsecutiveAddressesInTheOrderFirstHeard) {
    Plan("192.168.1.11");
    network.AddDevices(3);
    network.Device(0).replyDelayMs = 200;  // heard last
    WindowSearchAssign(&dialog);

    ASSERT_EQ(3u, network.Device(0).assignments.size() + network.Device(1).assignments.size() +
                      network.Device(2).assignments.size());
    EXPECT_EQ("192.168.1.13", DottedAddress(network.Device(0).assignments.at(0).address));
    EXPECT_EQ("192.168.1.11", DottedAddress(network.Device(1).assignments.at(0).address));
    EXPECT_EQ("192.168.1.12", DottedAddress(network.Device(2).assignments.at(0).address));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ("192.168.1.1", DottedAddress(network.Device(i).assignments[0].gateway));
        EXPECT_EQ("255.255.255.0", DottedAddress(network.Device(i).assignments[0].mask));
    }
    ASSERT_EQ(3, view.RowCount());
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3"}), Column(kColumnNumber));
    EXPECT_EQ((std::vector<std::wstring>{L"192.168.1.11", L"192.168.1.12", L"192.168.1.13"}),
              Column(kColumnIp));
    EXPECT_EQ(L"00-1A-2B-00-00-01", view.rows[0].cells[kColumnMac]);
    EXPECT_EQ(L"", view.rows[0].cells[kColumnDescription]);
    EXPECT_EQ(L"搜索设备完成!", view.log.back().text);
    EXPECT_GE(Elapsed(), 6000u);
    EXPECT_LT(Elapsed(), 6200u);
}

TEST_F(AssignSearch, OnlyConfirmedDevicesAreShown) {
    Plan("192.168.1.11");
    network.AddDevices(3);
    network.Device(1).answersAssign = false;
    network.Device(2).replyDelayMs = 2000;  // confirms within the assignment phase
    WindowSearchAssign(&dialog);
    EXPECT_EQ(3, network.CountSent(kAssignMagic));  // one request each, no resends
    ASSERT_EQ(2, view.RowCount());
    EXPECT_EQ((std::vector<std::wstring>{L"192.168.1.11", L"192.168.1.13"}), Column(kColumnIp));
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2"}), Column(kColumnNumber));
    EXPECT_EQ(1, dialog.m_devices.begin()->shown);
    EXPECT_EQ(0, std::next(dialog.m_devices.begin())->shown);
}

TEST_F(AssignSearch, StrayConfirmationsChangeNothing) {
    Plan("192.168.1.11");
    network.AddDevices(1);
    network.Device(0).answersAssign = false;
    const uint8_t stranger[6] = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01};
    network.Inject(kSearchReplyPort, EncodeAssignReply(stranger), kStart + 3500);
    WindowSearchAssign(&dialog);
    EXPECT_EQ(0, view.RowCount());
    EXPECT_EQ(0, dialog.m_devices.front().shown);
}

TEST_F(AssignSearch, SixtyDevicesAreCappedAtFiftyRequests) {
    Plan("10.0.0.2");
    network.AddDevices(60);
    WindowSearchAssign(&dialog);
    EXPECT_EQ(50, network.CountSent(kAssignMagic));
    EXPECT_EQ(50, view.RowCount());
    EXPECT_EQ(L"10.0.0.51", view.rows[49].cells[kColumnIp]);
}

// Hundreds of search replies stay queued once the search phase stops at fifty; the
// confirmations behind them must still be read within the assignment phase.
TEST_F(AssignSearch, ConfirmationsBehindAnUnreadBacklogAreStillShown) {
    Plan("10.0.0.2");
    network.AddDevices(500);
    WindowSearchAssign(&dialog);
    EXPECT_EQ(50, network.CountSent(kAssignMagic));
    EXPECT_EQ(50, view.RowCount());
    EXPECT_LT(Elapsed(), 6200u);
}

TEST_F(AssignSearch, DevicesPastHost254AreNotAssignedAndReportedInRed) {
    Plan("192.168.1.253");
    network.AddDevices(4);
    WindowSearchAssign(&dialog);
    EXPECT_EQ(1u, network.Device(0).assignments.size());
    EXPECT_EQ(1u, network.Device(1).assignments.size());
    EXPECT_TRUE(network.Device(2).assignments.empty());
    EXPECT_TRUE(network.Device(3).assignments.empty());
    EXPECT_EQ((std::vector<std::string>{"192.168.1.253", "192.168.1.254"}), DeviceIps());
    ASSERT_EQ(2, view.RowCount());

    int redLines = 0;
    for (const auto& line : view.log) {
        if (line.colour != StatusColour::kFailure) continue;
        ++redLines;
        EXPECT_NE(std::wstring::npos, line.text.find(L"[00-1A-2B-00-00-0"));
    }
    EXPECT_EQ(2, redLines);
    EXPECT_EQ(L"搜索设备完成!", view.log.back().text);
}

TEST_F(AssignSearch, StartHostAbove254AssignsNothingAndSkipsTheAssignmentPhase) {
    Plan("192.168.1.255");
    network.AddDevices(2);
    WindowSearchAssign(&dialog);
    EXPECT_EQ(0, network.CountSent(kAssignMagic));
    EXPECT_EQ(0, view.RowCount());
    EXPECT_LT(Elapsed(), 3100u);
}

TEST_F(AssignSearch, IpSearchCommandPlansFromTheStartAddressWhenOwnAddressIsClear) {
    network.AddDevices(1);
    view.checks[IDC_OWN_ADDRESS] = false;
    view.texts[IDC_START_ADDRESS] = L"192.168.5.100";
    view.log.push_back({L"old", StatusColour::kSuccess});
    view.rows.resize(2);
    dialog.m_devices.resize(2);
    dialog.m_addedDevices.resize(1);
    RunIpSearchCommand(dialog);
    dialog.m_workers.JoinAll();
    EXPECT_EQ("192.168.5.1", dialog.m_plan.gatewayText);
    EXPECT_EQ("255.255.255.0", dialog.m_plan.maskText);
    EXPECT_TRUE(dialog.m_addedDevices.empty());
    EXPECT_EQ(L"正在搜索设备...", view.log.front().text);
    ASSERT_EQ(1, view.RowCount());
    EXPECT_EQ(L"192.168.5.100", view.rows[0].cells[kColumnIp]);
}

TEST_F(AssignSearch, IpSearchCommandKeepsOwnAddressesWhenTheBoxIsTicked) {
    network.AddDevices(2);
    view.checks[IDC_OWN_ADDRESS] = true;
    RunIpSearchCommand(dialog);
    dialog.m_workers.JoinAll();
    EXPECT_TRUE(dialog.m_plan.startAddressText.empty());
    EXPECT_EQ(L"Searching...", view.log.front().text);
    EXPECT_EQ(2, view.RowCount());
}

}  // namespace
}  // namespace tesmara
