// devsim's encoders byte by byte against the layouts (no sockets): the LAN tests decode the same
// replies with the application's codecs, so a shared misreading would have to slip past both.
#include <gtest/gtest.h>

#include <cstring>

#include "devsim/discovery/DeviceDatagrams.h"

namespace tesmara::devsim {
namespace {

DeviceState Sample() {
    DeviceState s;
    s.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    s.address = "192.168.1.20";
    s.mask = "255.255.255.0";
    s.gateway = "192.168.1.1";
    s.tcpPort = 0x1234;
    s.httpPort = 80;
    s.description = "desc";
    s.cloudId = "cloud";
    s.releaseVersion = "ver";
    s.fixedDeviceTime = "time";
    s.releaseTime = "rtime";
    s.startTime = std::string(200, 'S');  // longer than its 160-byte slot
    return s;
}

std::string TextAt(const std::vector<uint8_t>& d, size_t at) {
    return std::string(reinterpret_cast<const char*>(&d[at]));
}

TEST(DevsimDatagrams, BasicReplyFieldsSitAtTheirOffsets) {
    auto d = EncodeBasicReply(Sample());
    ASSERT_EQ(d.size(), 152u);
    EXPECT_EQ(std::memcmp(d.data(), "QELTRA.SEARCH.V1", 16), 0);
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + 106, d.begin() + 112),
              (std::vector<uint8_t>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + 116, d.begin() + 128),
              (std::vector<uint8_t>{192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1}));
    EXPECT_EQ(d[136], 0x34);  // TCP port, low byte first
    EXPECT_EQ(d[137], 0x12);
    EXPECT_EQ(d[140], 0x50);  // HTTP port 80
    EXPECT_EQ(d[141], 0x00);
}

TEST(DevsimDatagrams, DetailReplyCarriesVersionAndSlotBoundedTexts) {
    auto d = EncodeDetailReply(Sample());
    ASSERT_EQ(d.size(), 576u);
    EXPECT_EQ(std::memcmp(d.data(), "QELTRA.SEARCH.V3", 16), 0);
    EXPECT_EQ(d[16], 0x01);
    EXPECT_EQ(d[17], 0x00);
    EXPECT_EQ(d[146], 0x00);
    EXPECT_EQ(d[151], 0x5E);
    EXPECT_EQ(d[156], 192);
    EXPECT_EQ(d[160], 255);
    EXPECT_EQ(d[164], 192);
    EXPECT_EQ(d[176], 0x34);
    EXPECT_EQ(d[180], 0x50);
    EXPECT_EQ(TextAt(d, 192), "desc");
    EXPECT_EQ(TextAt(d, 256), "cloud");
    EXPECT_EQ(TextAt(d, 320), "ver");
    EXPECT_EQ(TextAt(d, 352), "time");
    EXPECT_EQ(TextAt(d, 384), "rtime");
    // The start time is cut to its slot, which runs to the end of the datagram.
    EXPECT_EQ(std::string(d.begin() + 416, d.end()), std::string(160, 'S'));
}

TEST(DevsimDatagrams, AssignAndAddressChangeAreRecognisedOnlyAtTheirExactLengths) {
    // AssignRequest of the worked example: MAC 00-1A-2B-3C-4D-5E, 192.168.1.20, gateway
    // 192.168.1.1, mask 255.255.255.0.
    std::vector<uint8_t> assign(16);
    std::memcpy(assign.data(), "QELTRA.SEARCH.V2", 16);
    for (uint8_t b : {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x00, 0x00, 0xC0, 0xA8,
                      0x01, 0x14, 0xC0, 0xA8, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0x00}) {
        assign.push_back(b);
    }
    ASSERT_EQ(ClassifyRequest(assign.data(), assign.size()), RequestKind::Assign);
    NewAddress a = DecodeNewAddress(RequestKind::Assign, assign.data(), assign.size());
    EXPECT_EQ(MacText(a.mac), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(FormatDotted(a.address), "192.168.1.20");
    EXPECT_EQ(FormatDotted(a.gateway), "192.168.1.1");
    EXPECT_EQ(FormatDotted(a.mask), "255.255.255.0");
    EXPECT_EQ(ClassifyRequest(assign.data(), 35), RequestKind::Unknown);

    std::vector<uint8_t> change(assign.begin() + 16, assign.end());
    change.insert(change.begin(),
                  {'q', 'e', 'l', 't', 'r', 'a', '.', 'c', 'f', 'g', '.', 'v', '2'});
    ASSERT_EQ(change.size(), 33u);
    ASSERT_EQ(ClassifyRequest(change.data(), change.size()), RequestKind::AddressChange);
    NewAddress c = DecodeNewAddress(RequestKind::AddressChange, change.data(), change.size());
    EXPECT_EQ(FormatDotted(c.address), "192.168.1.20");
    EXPECT_EQ(FormatDotted(c.mask), "255.255.255.0");
    change.push_back(0);
    EXPECT_EQ(ClassifyRequest(change.data(), change.size()), RequestKind::Unknown);

    auto reply = EncodeAssignReply(a.mac);
    ASSERT_EQ(reply.size(), 36u);
    EXPECT_EQ(std::memcmp(reply.data(), "QELTRA.SEARCH.V2", 16), 0);
    EXPECT_EQ(reply[16], 0x00);
    EXPECT_EQ(reply[21], 0x5E);
}

TEST(DevsimDatagrams, AnUnparsableAddressIsReportedAsAllOnes) {
    DeviceState s = Sample();
    s.address = "not an address";
    auto d = EncodeBasicReply(s);
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + 116, d.begin() + 120),
              (std::vector<uint8_t>{255, 255, 255, 255}));
}

}  // namespace
}  // namespace tesmara::devsim
