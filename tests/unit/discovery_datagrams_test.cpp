// Byte layouts of the discovery datagrams: what is accepted, what is dropped, and what is sent.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "discovery/SearchDatagrams.h"
#include "discovery/SearchInfoBlock.h"
#include "platform/Address.h"
#include "tests/support/DeviceReplies.h"
#include "view/DeviceRow.h"

namespace tesmara {
namespace {

std::vector<uint8_t> Bytes(const char* magic, size_t size) {
    std::vector<uint8_t> out(size, 0);
    std::memcpy(out.data(), magic, std::min<size_t>(16, size));
    return out;
}

TEST(SearchReplyValidation, BasicReplyNeedsExactly152BytesAnyLetterCase) {
    EXPECT_TRUE(IsBasicReply(Bytes("QELTRA.SEARCH.V1", 152).data(), 152));
    EXPECT_TRUE(IsBasicReply(Bytes("qeltra.search.v1", 152).data(), 152));
    EXPECT_TRUE(IsBasicReply(Bytes("Qeltra.Search.v1", 152).data(), 152));
    EXPECT_FALSE(IsBasicReply(Bytes("QELTRA.SEARCH.V1", 151).data(), 151));
    EXPECT_FALSE(IsBasicReply(Bytes("QELTRA.SEARCH.V1", 153).data(), 153));
    EXPECT_FALSE(IsBasicReply(Bytes("QELTRA.SEARCH.V3", 152).data(), 152));
    EXPECT_FALSE(IsBasicReply(Bytes("QELTRA.SEARCH_V1", 152).data(), 152));
}

TEST(SearchReplyValidation, DetailReplyNeedsVersion0100And576Bytes) {
    std::vector<uint8_t> good = Bytes("QELTRA.SEARCH.V3", 576);
    good[16] = 0x01;
    EXPECT_TRUE(IsDetailReply(good.data(), 576));
    EXPECT_FALSE(IsDetailReply(good.data(), 575));

    std::vector<uint8_t> lower = good;
    std::memcpy(lower.data(), "qeltra.search.v3", 16);
    EXPECT_TRUE(IsDetailReply(lower.data(), 576));

    for (auto [b16, b17] : {std::pair{0x00, 0x00}, {0x01, 0x01}, {0x02, 0x00}, {0x00, 0x01}}) {
        std::vector<uint8_t> bad = good;
        bad[16] = static_cast<uint8_t>(b16);
        bad[17] = static_cast<uint8_t>(b17);
        EXPECT_FALSE(IsDetailReply(bad.data(), 576)) << b16 << " " << b17;
    }
}

TEST(SearchReplyValidation, AssignReplyNeedsExactly36Bytes) {
    EXPECT_TRUE(IsAssignReply(Bytes("QELTRA.SEARCH.V2", 36).data(), 36));
    EXPECT_TRUE(IsAssignReply(Bytes("qeltra.search.v2", 36).data(), 36));
    EXPECT_FALSE(IsAssignReply(Bytes("QELTRA.SEARCH.V2", 35).data(), 35));
    EXPECT_FALSE(IsAssignReply(Bytes("QELTRA.SEARCH.V2", 37).data(), 37));
    EXPECT_FALSE(IsAssignReply(Bytes("QELTRA.SEARCH.V1", 36).data(), 36));
    EXPECT_FALSE(HasMagic(Bytes("QELTRA.SEARCH.V2", 15).data(), 15, kAssignMagic));
}

TEST(SearchInfoBlockDecoding, BasicReplyFieldsAtTheirOffsets) {
    std::vector<uint8_t> reply = Bytes("QELTRA.SEARCH.V1", 152);
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(&reply[106], mac, 6);
    const uint8_t fields[] = {192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1};
    std::memcpy(&reply[116], fields, sizeof fields);
    reply[136] = 0x07;  // TCP 34567 = 0x8707, low byte first
    reply[137] = 0x87;
    reply[140] = 0x50;  // HTTP 80
    reply[141] = 0x00;

    SearchInfoBlock info = DecodeBasicReply(reply.data());
    EXPECT_EQ(0, std::memcmp(info.mac, mac, 6));
    EXPECT_EQ("192.168.1.20", DottedAddress(info.address));
    EXPECT_EQ("255.255.255.0", DottedAddress(info.mask));
    EXPECT_EQ("192.168.1.1", DottedAddress(info.gateway));
    EXPECT_EQ(34567, info.tcpPort);
    EXPECT_EQ(80, info.httpPort);
    EXPECT_TRUE(info.details.description.empty());
}

TEST(SearchInfoBlockDecoding, DetailTextsStopAtNulOrAtTheEndOfTheirSlot) {
    std::vector<uint8_t> reply = Bytes("QELTRA.SEARCH.V3", 576);
    reply[16] = 0x01;
    reply[176] = 0x50;  // TCP port 80 at 56 + 120
    std::memcpy(&reply[192], "Front door\0garbage", 18);
    std::memset(&reply[256], 'C', 64);  // cloud ID fills its slot: no NUL before the version
    std::memcpy(&reply[320], "V4.02", 5);
    std::memcpy(&reply[352], "\xb2\xe2\xca\xd4", 4);  // bytes as the device sent them
    std::memset(&reply[416], 'S', 160);               // last slot runs to the datagram's end

    SearchInfoBlock info = DecodeDetailReply(reply.data());
    EXPECT_EQ(80, info.tcpPort);
    EXPECT_EQ("Front door", info.details.description);
    EXPECT_EQ(std::string(64, 'C'), info.details.cloudId);
    EXPECT_EQ("V4.02", info.details.releaseVersion);
    EXPECT_EQ("\xb2\xe2\xca\xd4", info.details.deviceTime);
    EXPECT_EQ("", info.details.releaseTime);
    EXPECT_EQ(std::string(160, 'S'), info.details.startTime);
}

TEST(SearchInfoBlockDecoding, EncodedRepliesDecodeToTheSameDevice) {
    SearchInfoBlock info;
    const uint8_t mac[6] = {0xAA, 0xBB, 0xCC, 0x01, 0x02, 0x03};
    std::memcpy(info.mac, mac, 6);
    info.address = 0x0A000005;
    info.tcpPort = 5000;
    info.httpPort = 8080;
    info.details.description = std::string(70, 'd');  // longer than its slot: cut to 64
    info.details.startTime = "2026-12-07";
    std::vector<uint8_t> detail = EncodeDetailReply(info);
    ASSERT_TRUE(IsDetailReply(detail.data(), detail.size()));
    SearchInfoBlock back = DecodeDetailReply(detail.data());
    EXPECT_EQ("10.0.0.5", DottedAddress(back.address));
    EXPECT_EQ(8080, back.httpPort);
    EXPECT_EQ(std::string(64, 'd'), back.details.description);
    EXPECT_EQ("2026-12-07", back.details.startTime);
    std::vector<uint8_t> basic = EncodeBasicReply(info);
    ASSERT_TRUE(IsBasicReply(basic.data(), basic.size()));
    EXPECT_EQ(0, std::memcmp(DecodeBasicReply(basic.data()).mac, mac, 6));
}

TEST(AssignRequestEncoding, MatchesTheDocumentedBytes) {
    DeviceRow row;
    row.macText = "00-1A-2B-3C-4D-5E";
    row.ipText = "192.168.1.20";
    row.gatewayText = "192.168.1.1";
    row.maskText = "255.255.255.0";
    auto bytes = EncodeAssignRequest(row);
    const uint8_t expected[36] = {'Q',  'E',  'L',  'T',  'R',  'A',  '.',  'S',  'E',
                                  'A',  'R',  'C',  'H',  '.',  'V',  '2',  0x00, 0x1A,
                                  0x2B, 0x3C, 0x4D, 0x5E, 0x00, 0x00, 0xC0, 0xA8, 0x01,
                                  0x14, 0xC0, 0xA8, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(0, std::memcmp(bytes.data(), expected, 36));
}

TEST(AssignRequestEncoding, LowerCaseMacAndUnparsableAddresses) {
    DeviceRow row;
    row.macText = "aa-bb-cc-dd-ee-ff";
    row.ipText = "not an address";
    row.gatewayText = "";
    row.maskText = "255.255.0.0";
    auto bytes = EncodeAssignRequest(row);
    const uint8_t mac[6] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(0, std::memcmp(&bytes[16], mac, 6));
    EXPECT_EQ(0xFFFFFFFFu,
              (uint32_t{bytes[24]} << 24) | (bytes[25] << 16) | (bytes[26] << 8) | bytes[27]);
    EXPECT_EQ(0xFF, bytes[32]);
    EXPECT_EQ(0xFF, bytes[33]);
    EXPECT_EQ(0x00, bytes[34]);

    AssignRequest decoded;
    ASSERT_TRUE(DecodeAssignRequest(bytes.data(), bytes.size(), decoded));
    EXPECT_EQ("255.255.0.0", DottedAddress(decoded.mask));
}

TEST(AssignReplyDecoding, MacTextFromBytes16To21) {
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::vector<uint8_t> reply = EncodeAssignReply(mac);
    ASSERT_EQ(36u, reply.size());
    EXPECT_EQ("00-1A-2B-3C-4D-5E", AssignReplyMacText(reply.data()));
}

}  // namespace
}  // namespace tesmara
