// The recorders' file formats and configuration blocks as devsim serves them: a configuration
// file or firmware header that is damaged anywhere is refused, and a block written back takes
// effect field by field while the unnamed bytes stay as written.
#include <gtest/gtest.h>

#include <cstring>

#include "devsim/session/ConfigBlocks.h"
#include "devsim/session/Images.h"
#include "quorn/Protocol.h"

namespace tesmara::devsim {
namespace {

TEST(QuornDeviceFormats, Crc32IsTheIeeeOne) {
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(Crc32(0, "1234", 4), "56789", 5), 0xCBF43926u);
}

TEST(QuornDeviceFormats, CoiRoundTripsAndAnyDamageIsRefused) {
    std::vector<CoiBlock> blocks = {{49, -1, std::vector<uint8_t>(128, 1)},
                                    {8, 0, std::vector<uint8_t>(24, 2)}};
    std::vector<uint8_t> file = EncodeCoi(blocks);
    std::vector<CoiBlock> back;
    ASSERT_TRUE(DecodeCoi(file, back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].command, 8);
    EXPECT_EQ(back[1].data, blocks[1].data);
    // Every single flipped byte and every truncation is caught.
    for (size_t i = 0; i < file.size(); ++i) {
        std::vector<uint8_t> damaged = file;
        damaged[i] ^= 0x01;
        EXPECT_FALSE(DecodeCoi(damaged, back)) << "byte " << i;
    }
    for (size_t n = 0; n < file.size(); n += 7) {
        EXPECT_FALSE(DecodeCoi(std::vector<uint8_t>(file.begin(), file.begin() + n), back));
    }
    EXPECT_FALSE(DecodeCoi(EncodeCoi({}), back));  // no blocks
}

TEST(QuornDeviceFormats, ImageHeaderRoundTripsAndChecksItself) {
    ImageHeader h;
    h.model = "QX-NVR-0804";
    h.releaseVersion = "V1.2";
    h.releaseTime = "2026-01-02 03:04:05";
    h.payloadLength = 123456789;
    h.payloadHash.fill(0xA5);
    std::vector<uint8_t> bytes = EncodeImageHeader(h);
    ASSERT_EQ(bytes.size(), kImageHeaderSize);
    ImageHeader back;
    ASSERT_TRUE(DecodeImageHeader(bytes.data(), back));
    EXPECT_EQ(back.model, h.model);
    EXPECT_EQ(back.releaseTime, h.releaseTime);
    EXPECT_EQ(back.payloadLength, h.payloadLength);
    EXPECT_EQ(back.payloadHash, h.payloadHash);
    for (size_t i : {0, 5, 9, 50, 104, 112, 143, 145}) {
        std::vector<uint8_t> damaged = bytes;
        damaged[i] ^= 0x20;
        EXPECT_FALSE(DecodeImageHeader(damaged.data(), back)) << "byte " << i;
    }
}

TEST(QuornDeviceFormats, PayloadHashFedInPiecesIsSha256) {
    Sha256 hash;
    hash.Update("a", 1);
    hash.Update("bc", 2);
    const Sha256Digest abc = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                              0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                              0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    EXPECT_EQ(hash.Finish(), abc);
}

TEST(QuornDeviceFormats, NetworkBlockWriteBackChangesOnlyWhatItNames) {
    DeviceState s;
    s.mac = {0, 0x1A, 0x2B, 1, 2, 3};
    s.address = "192.168.1.10";
    s.mask = "255.255.255.0";
    s.gateway = "192.168.1.1";
    std::vector<uint8_t> block;
    ASSERT_EQ(ReadBlock(s, kCommandNetwork, block), quorn::kOk);
    ASSERT_EQ(block.size(), kNetworkSize);
    EXPECT_STREQ(reinterpret_cast<char*>(&block[120]), "00:1A:2B:01:02:03");
    // A shorter address leaves the rest of its slot as read; the device keeps those bytes.
    std::memcpy(&block[152], "10.1.2.3", 9);
    block[700] = 0xEE;
    ASSERT_EQ(WriteBlock(s, kCommandNetwork, block.data(), block.size()), quorn::kOk);
    EXPECT_EQ(s.address, "10.1.2.3");
    std::vector<uint8_t> again;
    ReadBlock(s, kCommandNetwork, again);
    EXPECT_EQ(again, block);
    EXPECT_EQ(WriteBlock(s, kCommandNetwork, block.data(), 771), quorn::kBadSize);
    EXPECT_EQ(WriteBlock(s, 50, block.data(), 772), quorn::kUnknownCommand);
    std::memcpy(&block[172], "255.255.255.256", 16);
    EXPECT_EQ(WriteBlock(s, kCommandNetwork, block.data(), block.size()), quorn::kDeviceFailed);
    EXPECT_EQ(s.mask, "255.255.255.0");
}

TEST(QuornDeviceFormats, UserTableLayout) {
    DeviceState s;  // admin (empty password), operator, guest
    s.session.users[0].manageUsers = false;
    s.session.users[1].manageUsers = true;
    std::vector<uint8_t> table = UserTable(s);
    ASSERT_EQ(table.size(), static_cast<size_t>(quorn::kUserTableSize));
    for (size_t i = 0; i < 3; ++i) {
        const uint8_t* entry = &table[quorn::kUserEntriesOffset + i * quorn::kUserEntrySize];
        EXPECT_EQ(reinterpret_cast<const char*>(entry + 8), s.session.users[i].name);
        EXPECT_EQ(entry[200], i == 1) << "the manage-users right is the first rights byte";
        for (int b = 0; b < 96; ++b) ASSERT_EQ(entry[104 + b], 0);
    }
    EXPECT_EQ(table[quorn::kUserEntriesOffset + 3 * quorn::kUserEntrySize + 8], 0);
}

}  // namespace
}  // namespace tesmara::devsim
