// The search that keeps the devices' own addresses: phases, resends, limits, merging and the
// table it leaves behind.
#include <gtest/gtest.h>

#include <cstring>

#include "app/SearchStart.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchOnlyWorker.h"
#include "discovery/SearchPolling.h"
#include "discovery/SearchSockets.h"
#include "tests/unit/discovery_search_fixture.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

using OnlySearch = SearchFixture;

TEST_F(OnlySearch, EmptyNetworkCompletesAfterTwoPhasesWithAnEmptyTable) {
    WindowSearchOnly(&dialog);
    ASSERT_EQ(2u, view.log.size());
    EXPECT_EQ(L"Searching...", view.log[0].text);
    EXPECT_EQ(StatusColour::kProgress, view.log[0].colour);
    EXPECT_EQ(L"Search completed!", view.log[1].text);
    EXPECT_EQ(StatusColour::kSuccess, view.log[1].colour);
    EXPECT_EQ((std::vector<bool>{false, true}), view.windowEnabled);
    EXPECT_EQ(0, view.RowCount());
    EXPECT_EQ(0, network.OpenSockets());
    EXPECT_GE(Elapsed(), 6000u);
    EXPECT_LT(Elapsed(), 6200u);
}

TEST_F(OnlySearch, RequestsAreBroadcastFrom5003To5000AndEachPhaseLastsThreeSeconds) {
    WindowSearchOnly(&dialog);
    for (const auto& sent : network.Sent()) {
        EXPECT_EQ(16u, sent.data.size());
        EXPECT_EQ(5003, sent.fromPort);
        EXPECT_EQ(0xFFFFFFFFu, sent.address);
        EXPECT_EQ(5000, sent.port);
    }
    std::vector<uint32_t> basic = network.SendTimes(kBasicSearchMagic);
    std::vector<uint32_t> detail = network.SendTimes(kDetailSearchMagic);
    ASSERT_FALSE(basic.empty());
    ASSERT_FALSE(detail.empty());
    EXPECT_LT(basic.back() - basic.front(), 3000u);
    EXPECT_GE(detail.front() - basic.front(), 3000u);
    EXPECT_LT(detail.front() - basic.front(), 3100u);
    EXPECT_LT(detail.back() - detail.front(), 3000u);
}

TEST_F(OnlySearch, ResendsEvery500MsAfterIdleSleepsOf50) {
    clock.SetReadStep(0);
    SearchSockets sockets;
    ASSERT_EQ(0, OpenSearchSockets(network, sockets));
    EXPECT_EQ(PassOutcome::kDone,
              RunSearchPass(Ports(), status, sockets, ReplyKind::kBasic, kDeviceLimit, found));
    std::vector<uint32_t> times = network.SendTimes(kBasicSearchMagic);
    // A resend goes out on the first check after more than 500 ms, and checks come every 50 ms.
    std::vector<uint32_t> expected;
    for (uint32_t t : {0u, 550u, 1100u, 1650u, 2200u, 2750u}) expected.push_back(kStart + t);
    EXPECT_EQ(expected, times);
    EXPECT_EQ(3000u, Elapsed());
    for (uint32_t ms : clock.Sleeps()) EXPECT_EQ(50u, ms);
}

TEST_F(OnlySearch, TimingSurvivesTheTickCounterWrapping) {
    testing::FakeClock wrapping{0xFFFFFFFFu - 1000};
    testing::InMemoryNetwork lan{wrapping};
    lan.AddDevices(2);
    MainDialogState nearWrap{view, dialogs, lan, wrapping, access};
    wrapping.SetReadStep(1);
    WindowSearchOnly(&nearWrap);
    EXPECT_EQ(2, view.RowCount());
    uint32_t elapsed = wrapping.Peek() - (0xFFFFFFFFu - 1000);
    EXPECT_GE(elapsed, 6000u);
    EXPECT_LT(elapsed, 6200u);
}

TEST_F(OnlySearch, FillsTheTableWithMergedDetailsNumberedFromOne) {
    network.AddDevices(3);
    WindowSearchOnly(&dialog);
    ASSERT_EQ(3, view.RowCount());
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3"}), Column(kColumnNumber));
    EXPECT_EQ((std::vector<std::wstring>{L"00-1A-2B-00-00-00", L"00-1A-2B-00-00-01",
                                         L"00-1A-2B-00-00-02"}),
              Column(kColumnMac));
    EXPECT_EQ(L"192.168.1.21", view.rows[1].cells[kColumnIp]);
    EXPECT_EQ(L"-- --", view.rows[1].cells[kColumnUpgradeStatus]);
    EXPECT_EQ(L"NVR-1", view.rows[1].cells[kColumnDescription]);
    EXPECT_EQ(L"cloud1", view.rows[1].cells[kColumnCloudId]);
    EXPECT_EQ(L"V4.02.R11.1", view.rows[1].cells[kColumnReleaseVersion]);
    EXPECT_EQ(L"2026-01-15", view.rows[1].cells[kColumnReleaseTime]);
    EXPECT_EQ(L"2026-12-07 10:00:00", view.rows[1].cells[kColumnDeviceTime]);
    EXPECT_EQ(L"2026-12-01 08:00:00", view.rows[1].cells[kColumnStartTime]);
    for (const auto& row : view.rows) EXPECT_FALSE(row.checked);

    const DeviceRow& first = dialog.m_devices.front();
    EXPECT_EQ(1, first.shown);
    EXPECT_EQ("255.255.255.0", first.maskText);
    EXPECT_EQ("192.168.1.1", first.gatewayText);
    EXPECT_EQ(34567, first.tcpPort);
    EXPECT_EQ(80, first.httpPort);
    EXPECT_EQ(0, first.loginHandle);
    EXPECT_EQ(&first, view.rows[0].device);
}

TEST_F(OnlySearch, DeviceAnsweringEveryRequestSeveralTimesIsListedOnce) {
    network.AddDevices(1);
    network.Device(0).copies = 4;
    WindowSearchOnly(&dialog);
    EXPECT_EQ(1u, dialog.m_devices.size());
    EXPECT_FALSE(dialog.m_devices.front().conflicting);
    EXPECT_EQ(1, view.RowCount());
}

TEST_F(OnlySearch, RepliesForOneMacFromTwoPlacesMarkTheRow) {
    network.AddDevices(5);
    network.Device(1).info = network.Device(0).info;
    network.Device(1).info.address += 1;  // another address
    network.Device(3).info = network.Device(2).info;
    network.Device(3).info.tcpPort += 1;  // the same address, another port
    WindowSearchOnly(&dialog);
    std::vector<bool> marks;
    for (const DeviceRow& row : dialog.m_devices) marks.push_back(row.conflicting);
    EXPECT_EQ((std::vector<bool>{true, true, false}), marks);
}

TEST_F(OnlySearch, LateReplyWithinThePhaseIsFoundAndLaterOneIsNot) {
    network.AddDevices(2);
    network.Device(0).replyDelayMs = 2900;
    network.Device(1).replyDelayMs = 3100;  // too late even for the first request
    WindowSearchOnly(&dialog);
    ASSERT_EQ(1, view.RowCount());
    EXPECT_EQ(L"00-1A-2B-00-00-00", view.rows[0].cells[kColumnMac]);
    // Its detail reply also came late but within the detail phase.
    EXPECT_EQ(L"NVR-0", view.rows[0].cells[kColumnDescription]);
}

TEST_F(OnlySearch, SixtyDevicesGiveFiftyPerPhaseAndEndPhasesEarly) {
    network.AddDevices(60);
    WindowSearchOnly(&dialog);
    EXPECT_EQ(50u, dialog.m_devices.size());
    EXPECT_EQ(50, view.RowCount());
    EXPECT_LT(Elapsed(), 1000u);  // both phases stopped at the limit, long before 3 s
}

TEST_F(OnlySearch, MergeCopiesDetailsByMacAndShowsOnlyBasicAnswerers) {
    network.AddDevices(3);
    network.Device(0).answersDetail = false;  // basic only
    network.Device(1).answersBasic = false;   // detail only: never shown
    WindowSearchOnly(&dialog);
    ASSERT_EQ(2, view.RowCount());
    EXPECT_EQ(L"00-1A-2B-00-00-00", view.rows[0].cells[kColumnMac]);
    for (int column = kColumnCloudId; column <= kColumnStartTime; ++column) {
        EXPECT_EQ(L"-- --", view.rows[0].cells[column]);
    }
    EXPECT_EQ(L"00-1A-2B-00-00-02", view.rows[1].cells[kColumnMac]);
    EXPECT_EQ(L"NVR-2", view.rows[1].cells[kColumnDescription]);
}

TEST_F(OnlySearch, MergeOfAnEmptyDetailListChangesNothing) {
    DeviceRow row;
    row.macText = "00-00-00-00-00-01";
    row.details.description = kNoValue;
    DeviceList devices{row}, details;
    MergeDeviceDetails(devices, details);
    EXPECT_EQ(kNoValue, devices.front().details.description);
    DeviceRow detail = row;
    detail.details.description = "Gate";
    detail.macText = "00-00-00-00-00-01 ";  // same prefix, other length: no match
    details.push_back(detail);
    MergeDeviceDetails(devices, details);
    EXPECT_EQ(kNoValue, devices.front().details.description);
}

TEST_F(OnlySearch, InvalidRepliesAreDroppedAndLowerCaseMagicAccepted) {
    testing::VirtualDevice good = testing::InMemoryNetwork::MakeDevice(7);
    std::vector<uint8_t> lower = EncodeBasicReply(good.info);
    std::memcpy(lower.data(), "qeltra.search.v1", 16);
    network.Inject(kSearchReplyPort, lower, kStart + 10);

    testing::VirtualDevice odd = testing::InMemoryNetwork::MakeDevice(8);
    std::vector<uint8_t> basic = EncodeBasicReply(odd.info);
    std::vector<uint8_t> shortOne(basic.begin(), basic.end() - 1);
    std::vector<uint8_t> longOne = basic;
    longOne.push_back(0);
    network.Inject(kSearchReplyPort, shortOne, kStart + 20);
    network.Inject(kSearchReplyPort, longOne, kStart + 30);
    network.Inject(kSearchReplyPort, std::vector<uint8_t>(152, 0x41), kStart + 40);

    WindowSearchOnly(&dialog);
    ASSERT_EQ(1, view.RowCount());
    EXPECT_EQ(L"00-1A-2B-00-00-07", view.rows[0].cells[kColumnMac]);
}

TEST_F(OnlySearch, DetailRepliesWithWrongVersionOrLengthAreDropped) {
    network.AddDevices(1);
    network.Device(0).answersDetail = false;
    std::vector<uint8_t> detail = EncodeDetailReply(network.Device(0).info);
    std::vector<uint8_t> badVersion = detail;
    badVersion[17] = 0x01;
    std::vector<uint8_t> shortOne(detail.begin(), detail.end() - 1);
    network.Inject(kSearchReplyPort, badVersion, kStart + 3500);
    network.Inject(kSearchReplyPort, shortOne, kStart + 3600);
    WindowSearchOnly(&dialog);
    ASSERT_EQ(1, view.RowCount());
    EXPECT_EQ(L"-- --", view.rows[0].cells[kColumnDescription]);
}

TEST_F(OnlySearch, DetailPassPollsWithoutPauseUntilItsFirstReply) {
    SearchSockets sockets;
    ASSERT_EQ(0, OpenSearchSockets(network, sockets));
    EXPECT_EQ(PassOutcome::kDone,
              RunSearchPass(Ports(), status, sockets, ReplyKind::kDetail, kDeviceLimit, found));
    EXPECT_TRUE(clock.Sleeps().empty());

    // Once a detail reply lies in the buffer, empty polls pause again.
    network.AddDevices(1);
    EXPECT_EQ(PassOutcome::kDone,
              RunSearchPass(Ports(), status, sockets, ReplyKind::kDetail, kDeviceLimit, found));
    EXPECT_FALSE(clock.Sleeps().empty());
    sockets.Close();
}

TEST_F(OnlySearch, DetailPollSleepsAfterAWrongVersionButNotAfterAnotherMagic) {
    SearchSockets sockets;
    ASSERT_EQ(0, OpenSearchSockets(network, sockets));
    ReceiveBuffer buffer{};
    std::vector<uint8_t> detail = EncodeDetailReply(testing::InMemoryNetwork::MakeDevice(1).info);
    std::vector<uint8_t> badVersion = detail;
    badVersion[16] = 0x02;
    network.Inject(kSearchReplyPort,
                   EncodeBasicReply(testing::InMemoryNetwork::MakeDevice(2).info));
    network.Inject(kSearchReplyPort, badVersion);

    EXPECT_FALSE(PollForReply(*sockets.receive, clock, buffer, ReplyKind::kDetail));
    EXPECT_TRUE(clock.Sleeps().empty());  // a basic reply: next poll at once
    EXPECT_FALSE(PollForReply(*sockets.receive, clock, buffer, ReplyKind::kDetail));
    EXPECT_EQ(1u, clock.Sleeps().size());  // wrong version: dropped, pause
    sockets.Close();
}

TEST_F(OnlySearch, FailedResendEndsThePhaseAndTheRunGoesOn) {
    network.AddDevices(1);
    network.Device(0).replyDelayMs = 1000;  // would be heard at 1 s, but the phase ends first
    network.FailNth(testing::SocketOp::kSend, 1);
    WindowSearchOnly(&dialog);
    std::vector<uint32_t> basic = network.SendTimes(kBasicSearchMagic);
    std::vector<uint32_t> detail = network.SendTimes(kDetailSearchMagic);
    ASSERT_EQ(1u, basic.size());
    ASSERT_FALSE(detail.empty());
    EXPECT_LT(detail.front() - basic.front(), 600u);
    EXPECT_EQ(L"Search completed!", view.log.back().text);
    EXPECT_EQ(0, view.RowCount());
}

TEST_F(OnlySearch, FailedFirstDetailSendReportsErr8AndKeepsTheTableEmpty) {
    network.AddDevices(2);
    network.FailSendsWithMagic(kDetailSearchMagic);
    WindowSearchOnly(&dialog);
    ASSERT_EQ(2u, view.log.size());
    EXPECT_EQ(L"Search failed!Err = -8", view.log[1].text);
    EXPECT_EQ(StatusColour::kFailure, view.log[1].colour);
    EXPECT_EQ(0, view.RowCount());
    EXPECT_TRUE(dialog.m_devices.empty()) << "a failed search reports no devices";
    EXPECT_EQ((std::vector<bool>{false, true}), view.windowEnabled);
    EXPECT_EQ(0, network.OpenSockets());
}

TEST_F(OnlySearch, StopRequestEndsTheRunWithSocketsClosed) {
    network.AddDevices(1);
    dialog.m_workers.RequestStop();
    WindowSearchOnly(&dialog);
    EXPECT_EQ(0, network.OpenSockets());
    EXPECT_EQ(0, view.RowCount());
    EXPECT_LT(Elapsed(), 100u);
}

}  // namespace
}  // namespace tesmara
