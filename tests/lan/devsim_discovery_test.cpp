// devsim's discovery side over real sockets, decoded with the application's own codecs: each side
// was written from the byte tables independently, so agreement here checks both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "devsim/discovery/DeviceDatagrams.h"
#include "discovery/SearchDatagrams.h"
#include "platform/Address.h"
#include "tests/lan/support/DiscoveryProbe.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"
#include "view/DeviceRow.h"
#include "view/MacText.h"

namespace tesmara::lan {
namespace {

constexpr char kBasic[] = "QELTRA.SEARCH.V1";
constexpr char kDetail[] = "QELTRA.SEARCH.V3";

std::string MacOf(const SearchInfoBlock& info) {
    return FormatMacDashed(info.mac);
}

std::vector<SearchInfoBlock> BasicReplies(const std::vector<Datagram>& received) {
    std::vector<SearchInfoBlock> infos;
    for (const auto& d : received) {
        if (IsBasicReply(d.data(), d.size())) infos.push_back(DecodeBasicReply(d.data()));
    }
    return infos;
}

std::vector<SearchInfoBlock> DetailReplies(const std::vector<Datagram>& received) {
    std::vector<SearchInfoBlock> infos;
    for (const auto& d : received) {
        if (IsDetailReply(d.data(), d.size())) infos.push_back(DecodeDetailReply(d.data()));
    }
    return infos;
}

class DevsimDiscovery : public LanTest {
  protected:
    std::unique_ptr<RunningFleet> Start(const std::string& json) {
        std::string error;
        auto fleet = RunningFleet::FromJson(json, &error);
        EXPECT_TRUE(fleet) << error;
        if (fleet) {
            EXPECT_TRUE(fleet->Running()) << fleet->Error();
        }
        return fleet;
    }
    void SetUp() override {
        LanTest::SetUp();
        // The probe binds the discovery ports, so only once we know we are inside the LAN.
        if (!IsSkipped() && !HasFatalFailure()) probe = std::make_unique<DiscoveryProbe>();
    }
    std::unique_ptr<DiscoveryProbe> probe;
};

TEST_F(DevsimDiscovery, SearchRepliesCarryWhatTheFleetFileSays) {
    // The description fills its 64-byte slot exactly, so it arrives without a NUL; the cloud ID
    // holds bytes of a Chinese code page.
    std::string longDescription(64, 'D');
    auto fleet = Start(R"({"devices": [
        {"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.1.20", "tcpPort": 34567,
         "httpPort": 80, "description": ")" +
                       longDescription + R"(", "cloudId": "\\xC9\\xE8\\xB1\\xB8-01",
         "releaseVersion": "V4.02.R11", "releaseTime": "2026-01-02 03:04:05",
         "deviceTime": "2026-12-07 12:00:00", "startTime": "2026-12-07 08:00:00"},
        {"mac": "00-1A-2B-3C-4D-5F", "address": "10.1.2.3", "tcpPort": 8000, "httpPort": 8080}
    ]})");
    ASSERT_TRUE(probe->Ready());

    ASSERT_TRUE(probe->Broadcast(kBasic));
    auto basic = BasicReplies(probe->Collect(300));
    ASSERT_EQ(basic.size(), 2u);
    std::sort(basic.begin(), basic.end(),
              [](const auto& a, const auto& b) { return MacOf(a) < MacOf(b); });
    EXPECT_EQ(MacOf(basic[0]), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(DottedAddress(basic[0].address), "192.168.1.20");
    EXPECT_EQ(DottedAddress(basic[0].mask), "255.255.255.0");
    EXPECT_EQ(DottedAddress(basic[0].gateway), "192.168.1.1");
    EXPECT_EQ(basic[0].tcpPort, 34567);
    EXPECT_EQ(basic[0].httpPort, 80);
    EXPECT_EQ(DottedAddress(basic[1].address), "10.1.2.3");
    EXPECT_EQ(DottedAddress(basic[1].mask), "255.0.0.0");
    EXPECT_EQ(basic[1].tcpPort, 8000);
    EXPECT_EQ(basic[1].httpPort, 8080);

    ASSERT_TRUE(probe->Broadcast(kDetail));
    auto detail = DetailReplies(probe->Collect(300));
    ASSERT_EQ(detail.size(), 2u);
    auto first = std::find_if(detail.begin(), detail.end(),
                              [](const auto& i) { return MacOf(i) == "00-1A-2B-3C-4D-5E"; });
    ASSERT_NE(first, detail.end());
    EXPECT_EQ(first->details.description, longDescription);
    EXPECT_EQ(first->details.cloudId, "\xC9\xE8\xB1\xB8-01");
    EXPECT_EQ(first->details.releaseVersion, "V4.02.R11");
    EXPECT_EQ(first->details.releaseTime, "2026-01-02 03:04:05");
    EXPECT_EQ(first->details.deviceTime, "2026-12-07 12:00:00");
    EXPECT_EQ(first->details.startTime, "2026-12-07 08:00:00");
    EXPECT_EQ(first->tcpPort, 34567);
}

TEST_F(DevsimDiscovery, AssignRequestMovesTheDeviceAndIsConfirmed) {
    auto fleet = Start(R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.1.20"},
                                       {"mac": "00-1A-2B-3C-4D-60", "address": "192.168.1.21"}]})");
    ASSERT_TRUE(probe->Ready());
    DeviceRow row;
    row.macText = "00-1A-2B-3C-4D-5E";
    row.ipText = "172.16.5.11";
    row.gatewayText = "172.16.5.1";
    row.maskText = "255.255.0.0";
    auto request = EncodeAssignRequest(row);
    ASSERT_TRUE(probe->Broadcast(request.data(), request.size()));
    auto replies = probe->Collect(300);
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_TRUE(IsAssignReply(replies[0].data(), replies[0].size()));
    EXPECT_EQ(AssignReplyMacText(replies[0].data()), "00-1A-2B-3C-4D-5E");

    ASSERT_TRUE(probe->Broadcast(kBasic));
    for (const auto& info : BasicReplies(probe->Collect(300))) {
        if (MacOf(info) == "00-1A-2B-3C-4D-5E") {
            EXPECT_EQ(DottedAddress(info.address), "172.16.5.11");
            EXPECT_EQ(DottedAddress(info.gateway), "172.16.5.1");
            EXPECT_EQ(DottedAddress(info.mask), "255.255.0.0");
        } else {
            EXPECT_EQ(DottedAddress(info.address), "192.168.1.21");  // the other one stays
        }
    }
}

TEST_F(DevsimDiscovery, AddressChangeDatagramIsTakenSilentlyAndReportedAfterwards) {
    auto fleet = Start(R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.1.20"}]})");
    ASSERT_TRUE(probe->Ready());
    // Magic, MAC, two zero bytes, then address, gateway, mask at odd offsets.
    const uint8_t change[33] = {'Q', 'E', 'L',  'T',  'R',  'A',  '.',  'C',  'F',  'G',  '.',
                                'V', '2', 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x00, 0x00, 192,
                                168, 7,   77,   192,  168,  7,    1,    255,  255,  255,  0};
    ASSERT_TRUE(probe->Broadcast(change, sizeof change));
    EXPECT_TRUE(probe->Collect(200).empty()) << "the address change is not answered";
    ASSERT_TRUE(probe->Broadcast(kBasic));
    auto basic = BasicReplies(probe->Collect(300));
    ASSERT_EQ(basic.size(), 1u);
    EXPECT_EQ(DottedAddress(basic[0].address), "192.168.7.77");
    EXPECT_EQ(DottedAddress(basic[0].gateway), "192.168.7.1");

    // One byte short, or another device's MAC: nothing changes.
    ASSERT_TRUE(probe->Broadcast(change, sizeof change - 1));
    uint8_t other[33];
    std::memcpy(other, change, sizeof other);
    other[18] = 0x5F;
    other[24] = 99;
    ASSERT_TRUE(probe->Broadcast(other, sizeof other));
    probe->Collect(100);
    ASSERT_TRUE(probe->Broadcast(kBasic));
    basic = BasicReplies(probe->Collect(300));
    ASSERT_EQ(basic.size(), 1u);
    EXPECT_EQ(DottedAddress(basic[0].address), "192.168.7.77");
}

TEST_F(DevsimDiscovery, BehaviourFlagsShapeTheReplies) {
    auto fleet = Start(R"({"devices": [
        {"mac": "00-00-00-00-00-01", "duplicateReplies": 2},
        {"mac": "00-00-00-00-00-02", "ignoreDetailSearch": true},
        {"mac": "00-00-00-00-00-03", "ignoreBasicSearch": true},
        {"mac": "00-00-00-00-00-04", "online": false},
        {"mac": "00-00-00-00-00-05", "replyDelayMs": 400},
        {"mac": "00-00-00-00-00-06", "ignoreAssign": true}
    ]})");
    ASSERT_TRUE(probe->Ready());
    ASSERT_TRUE(probe->Broadcast(kBasic));
    auto early = BasicReplies(probe->Collect(250));
    auto late = BasicReplies(probe->Collect(400));
    auto count = [](const std::vector<SearchInfoBlock>& infos, const char* mac) {
        return std::count_if(infos.begin(), infos.end(),
                             [&](const auto& i) { return MacOf(i) == mac; });
    };
    EXPECT_EQ(count(early, "00-00-00-00-00-01"), 3);
    EXPECT_EQ(count(early, "00-00-00-00-00-02"), 1);
    EXPECT_EQ(count(early, "00-00-00-00-00-03"), 0);
    EXPECT_EQ(count(early, "00-00-00-00-00-04"), 0);
    EXPECT_EQ(count(early, "00-00-00-00-00-05"), 0);
    EXPECT_EQ(count(late, "00-00-00-00-00-05"), 1);

    ASSERT_TRUE(probe->Broadcast(kDetail));
    auto detail = DetailReplies(probe->Collect(250));
    EXPECT_EQ(count(detail, "00-00-00-00-00-02"), 0);
    EXPECT_EQ(count(detail, "00-00-00-00-00-03"), 1);
    probe->Collect(400);

    DeviceRow row;
    row.macText = "00-00-00-00-00-06";
    row.ipText = "192.168.1.50";
    row.gatewayText = "192.168.1.1";
    row.maskText = "255.255.255.0";
    auto request = EncodeAssignRequest(row);
    ASSERT_TRUE(probe->Broadcast(request.data(), request.size()));
    EXPECT_TRUE(probe->Collect(250).empty());
}

TEST_F(DevsimDiscovery, HostileRepliesAreWhatTheReceiversMustHandle) {
    auto fleet = Start(R"({"devices": [
        {"mac": "00-00-00-00-00-01", "hostile": "wrong-length"},
        {"mac": "00-00-00-00-00-02", "hostile": "lower-case-magic"},
        {"mac": "00-00-00-00-00-03", "hostile": "wrong-version"},
        {"mac": "00-00-00-00-00-04", "hostile": "garbage"}
    ]})");
    ASSERT_TRUE(probe->Ready());
    ASSERT_TRUE(probe->Broadcast(kBasic));
    auto basicRaw = probe->Collect(250);
    EXPECT_EQ(basicRaw.size(), 4u);
    auto basic = BasicReplies(basicRaw);
    // Too short is dropped; lower-case magic is accepted; the version bytes do not concern the
    // basic reply.
    ASSERT_EQ(basic.size(), 2u);
    std::vector<std::string> macs{MacOf(basic[0]), MacOf(basic[1])};
    std::sort(macs.begin(), macs.end());
    EXPECT_EQ(macs, (std::vector<std::string>{"00-00-00-00-00-02", "00-00-00-00-00-03"}));
    bool sawShort = std::any_of(basicRaw.begin(), basicRaw.end(),
                                [](const Datagram& d) { return d.size() == 151; });
    EXPECT_TRUE(sawShort);

    ASSERT_TRUE(probe->Broadcast(kDetail));
    auto detail = DetailReplies(probe->Collect(250));
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(MacOf(detail[0]), "00-00-00-00-00-02");
}

TEST_F(DevsimDiscovery, GeneratedFleetsHaveDistinctMacsAndNoBroadcastAddresses) {
    auto fleet = RunningFleet::Generated(300, 9);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    ASSERT_TRUE(probe->Ready());
    ASSERT_TRUE(probe->Broadcast(kBasic));
    auto basic = BasicReplies(probe->Collect(500));
    ASSERT_EQ(basic.size(), 300u);
    std::vector<std::string> macs;
    for (const auto& info : basic) {
        macs.push_back(MacOf(info));
        uint32_t last = info.address & 0xFF;
        EXPECT_NE(last, 0u);
        EXPECT_NE(last, 255u);
    }
    std::sort(macs.begin(), macs.end());
    EXPECT_EQ(std::unique(macs.begin(), macs.end()), macs.end());
}

TEST(DevsimFleetFile, MalformedFilesAreRefusedWithAReason) {
    devsim::Fleet fleet;
    std::string error;
    EXPECT_FALSE(devsim::LoadFleetJson("[1, 2]", fleet, &error));
    EXPECT_FALSE(devsim::LoadFleetJson(R"({"devices": [{"mac": "00-11"}]})", fleet, &error));
    EXPECT_NE(error.find("mac"), std::string::npos);
    EXPECT_FALSE(devsim::LoadFleetJson(R"({"devices": [{"hostile": "rude"}]})", fleet, &error));
    EXPECT_FALSE(devsim::LoadFleetJson(R"({"devices": [{"tcpPort": "x"}]})", fleet, &error));
    EXPECT_EQ(fleet.Size(), 0u);
    EXPECT_TRUE(
        devsim::LoadFleetJson(R"({"generate": {"count": 3}, "devices": [{}]})", fleet, &error));
    EXPECT_EQ(fleet.Size(), 4u);
}

}  // namespace
}  // namespace tesmara::lan
