// Configuration blocks: little-endian fields, slot-bounded texts, and read-modify-write through
// the device-access port that changes only the named bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "devaccess/DeviceTime.h"
#include "devaccess/DisplayConfigBlock.h"
#include "devaccess/NetworkConfigBlock.h"
#include "platform/BlockBytes.h"
#include "tests/support/ScriptedDeviceAccess.h"

namespace tesmara {
namespace {

using testing::DevOp;
using testing::ScriptedDeviceAccess;

// A block as a device might send it: no byte zero, so any byte we clear or move shows.
std::vector<uint8_t> NoisyBlock(size_t size) {
    std::vector<uint8_t> block(size);
    for (size_t i = 0; i < size; ++i) block[i] = static_cast<uint8_t>(0x11 + i * 37 % 239);
    return block;
}

void PutText(std::vector<uint8_t>& block, size_t offset, const char* text) {
    std::memcpy(block.data() + offset, text, std::strlen(text) + 1);
}

std::vector<size_t> ChangedOffsets(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::vector<size_t> out;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

TEST(BlockBytesTest, IntegersAreLittleEndian) {
    std::vector<uint8_t> block(8, 0xAA);
    block[4] = 0x50;
    block[5] = 0x00;
    block[6] = 0x00;
    block[7] = 0x00;
    EXPECT_EQ(ReadU32Le(block, 4), 80u);

    WriteU32Le(block, 0, 0x12345678);
    EXPECT_EQ((std::vector<uint8_t>(block.begin(), block.begin() + 4)),
              (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    WriteI32Le(block, 4, -1);
    EXPECT_EQ(ReadU32Le(block, 4), 0xFFFFFFFFu);
    EXPECT_EQ(ReadI32Le(block, 4), -1);
}

TEST(BlockBytesTest, FieldsOutsideTheBlockAreNeitherReadNorWritten) {
    std::vector<uint8_t> block(6, 0x7F);
    EXPECT_EQ(ReadU32Le(block, 3), 0u);
    WriteU32Le(block, 3, 0);
    WriteU32Le(block, SIZE_MAX - 1, 0);
    EXPECT_EQ(block, std::vector<uint8_t>(6, 0x7F));
    EXPECT_EQ(ReadSlotText(block, {4, 4}), "");
    EXPECT_FALSE(WriteSlotText(block, {4, 4}, "a"));
    EXPECT_EQ(block, std::vector<uint8_t>(6, 0x7F));
}

TEST(BlockBytesTest, TextFillingItsSlotIsCutAtTheSlot) {
    std::vector<uint8_t> block(12, 'x');
    block[8] = 'y';  // the next field, not part of the text
    EXPECT_EQ(ReadSlotText(block, {0, 8}), "xxxxxxxx");
    block[3] = 0;
    EXPECT_EQ(ReadSlotText(block, {0, 8}), "xxx");
}

TEST(BlockBytesTest, WrittenTextStaysTerminatedInsideItsSlot) {
    std::vector<uint8_t> block(24, 'z');
    EXPECT_FALSE(WriteSlotText(block, {2, 20}, "123456789012345678901234"));
    EXPECT_EQ(block[21], 0);  // last byte of the slot
    EXPECT_EQ(block[22], 'z');
    EXPECT_EQ(block[1], 'z');
    EXPECT_EQ(ReadSlotText(block, {2, 20}), "1234567890123456789");

    // Exactly 19 characters fit with the terminator.
    EXPECT_TRUE(WriteSlotText(block, {2, 20}, "abcdefghijklmnopqrs"));
    EXPECT_EQ(ReadSlotText(block, {2, 20}), "abcdefghijklmnopqrs");
}

TEST(BlockBytesTest, ShorterTextLeavesTheRestOfTheSlotAsRead) {
    std::vector<uint8_t> block = NoisyBlock(20);
    PutText(block, 0, "192.168.100.200");
    const std::vector<uint8_t> before = block;
    EXPECT_TRUE(WriteSlotText(block, {0, 20}, "10.0.0.1"));
    EXPECT_EQ(ReadSlotText(block, {0, 20}), "10.0.0.1");
    EXPECT_EQ(block[8], 0);
    EXPECT_TRUE(std::equal(block.begin() + 9, block.end(), before.begin() + 9));

    // A NUL inside the given text ends it there.
    EXPECT_TRUE(WriteSlotText(block, {0, 20}, std::string_view("ab\0cd", 5)));
    EXPECT_EQ(block[2], 0);
    EXPECT_EQ(block[3], '0');  // from "10.0.0.1"
}

struct NetworkBlockTest : ::testing::Test {
    ScriptedDeviceAccess access;
    std::vector<uint8_t> device = NoisyBlock(NetworkConfigBlock::kSize);
    int32_t login = 0;

    void SetUp() override {
        PutText(device, 120, "00:1a:2b:3c:4d:5e");
        PutText(device, 152, "192.168.1.77");
        PutText(device, 172, "255.255.255.0");
        PutText(device, 192, "192.168.1.1");
        WriteU32Le(device, 68, 80);
        WriteU32Le(device, 72, 34567);
        int32_t error = 0;
        login = access.DevLogin("192.168.1.77", 34567, "admin", "", nullptr, &error);
    }

    // Reads the block as the device holds it now.
    bool Read(NetworkConfigBlock& block) {
        access.Script(DevOp::GetConfig, {.data = device});
        return block.Read(access, login);
    }

    std::vector<uint8_t> Written() const {
        auto calls = access.Calls(DevOp::SetConfig);
        return calls.empty() ? std::vector<uint8_t>() : calls.back().data;
    }
};

TEST_F(NetworkBlockTest, ReadsTheNamedFields) {
    NetworkConfigBlock block;
    ASSERT_TRUE(Read(block));
    EXPECT_EQ(block.HttpPort(), 80u);
    EXPECT_EQ(block.TcpPort(), 34567u);
    EXPECT_EQ(block.MacText(), "00:1a:2b:3c:4d:5e");
    EXPECT_EQ(block.AddressText(), "192.168.1.77");
    EXPECT_EQ(block.MaskText(), "255.255.255.0");
    EXPECT_EQ(block.GatewayText(), "192.168.1.1");

    const auto get = access.Calls(DevOp::GetConfig).at(0);
    EXPECT_EQ(get.handle, login);
    EXPECT_EQ(get.command, 81);
    EXPECT_EQ(get.channel, -1);
    EXPECT_EQ(get.size, 772);
    EXPECT_EQ(get.waitMs, -1);
}

TEST_F(NetworkBlockTest, PortChangeWritesBackAllButThePortBytes) {
    NetworkConfigBlock block;
    ASSERT_TRUE(Read(block));
    block.SetHttpPort(8080);
    block.SetTcpPort(65535);
    ASSERT_TRUE(block.Write(access, login));

    const std::vector<uint8_t> written = Written();
    ASSERT_EQ(written.size(), 772u);
    const auto changed = ChangedOffsets(device, written);
    for (size_t offset : changed) EXPECT_TRUE(offset >= 68 && offset < 76) << offset;
    EXPECT_EQ(ReadU32Le(written, 68), 8080u);
    EXPECT_EQ(ReadU32Le(written, 72), 65535u);

    const auto set = access.Calls(DevOp::SetConfig).at(0);
    EXPECT_EQ(set.command, 81);
    EXPECT_EQ(set.channel, -1);
    EXPECT_EQ(set.waitMs, -1);
}

TEST_F(NetworkBlockTest, AddressResetChangesOnlyTheTwoTexts) {
    NetworkConfigBlock block;
    ASSERT_TRUE(Read(block));
    EXPECT_TRUE(block.SetAddressText("192.168.1.10"));
    EXPECT_TRUE(block.SetGatewayText("192.168.1.9"));
    ASSERT_TRUE(block.Write(access, login));

    const std::vector<uint8_t> written = Written();
    for (size_t offset : ChangedOffsets(device, written))
        EXPECT_TRUE((offset >= 152 && offset < 172) || (offset >= 192 && offset < 212)) << offset;
    EXPECT_EQ(ReadSlotText(written, NetworkConfigBlock::kAddressText), "192.168.1.10");
    EXPECT_EQ(ReadSlotText(written, NetworkConfigBlock::kGatewayText), "192.168.1.9");
    EXPECT_EQ(written[165], device[165]);  // after the new terminator, as read
}

TEST_F(NetworkBlockTest, MacTextWithoutTerminatorIsCutBeforeTheAddress) {
    std::fill(device.begin() + 120, device.begin() + 152, 'A');
    NetworkConfigBlock block;
    ASSERT_TRUE(Read(block));
    EXPECT_EQ(block.MacText(), std::string(32, 'A'));
    EXPECT_EQ(block.AddressText(), "192.168.1.77");
}

TEST_F(NetworkBlockTest, ReadClearsTheBlockAndReportsFailure) {
    NetworkConfigBlock block;
    std::fill(block.Bytes().begin(), block.Bytes().end(), uint8_t{0xEE});
    access.Script(DevOp::GetConfig, {.data = {1, 2, 3}});
    EXPECT_FALSE(block.Read(access, login));  // a short block is a failed read
    EXPECT_EQ(block.Bytes()[2], 3);
    EXPECT_TRUE(std::all_of(block.Bytes().begin() + 3, block.Bytes().end(),
                            [](uint8_t b) { return b == 0; }));

    access.Script(DevOp::GetConfig, {.result = 0, .error = 4});
    EXPECT_FALSE(block.Read(access, login));
    EXPECT_EQ(access.DevGetLastError(), 4);
}

TEST(DisplayBlockTest, ReadModifyWriteTouchesOnlyTheNamedFields) {
    ScriptedDeviceAccess access;
    std::vector<uint8_t> device = NoisyBlock(DisplayConfigBlock::kSize);
    device[21] = 0;
    device[23] = 2;
    WriteU32Le(device, 28, 3);
    access.Script(DevOp::GetConfig, {.data = device});

    DisplayConfigBlock block;
    ASSERT_TRUE(block.Read(access, 7));
    EXPECT_EQ(block.VideoStandard(), 0);
    EXPECT_EQ(block.OutputResolution(), 2);
    EXPECT_EQ(block.MenuLanguage(), 3);
    block.SetVideoStandard(1);
    block.SetOutputResolution(5);
    block.SetMenuLanguage(21);
    ASSERT_TRUE(block.Write(access, 7));

    const auto set = access.Calls(DevOp::SetConfig).at(0);
    EXPECT_EQ(set.command, 49);
    EXPECT_EQ(set.channel, -1);
    EXPECT_EQ(set.size, 128);
    EXPECT_EQ(set.waitMs, -1);
    EXPECT_EQ(ChangedOffsets(device, set.data), (std::vector<size_t>{21, 23, 28}));
    EXPECT_EQ((std::vector<uint8_t>(set.data.begin() + 28, set.data.begin() + 32)),
              (std::vector<uint8_t>{21, 0, 0, 0}));
    EXPECT_EQ(access.Calls(DevOp::GetConfig).at(0).command, 49);
}

TEST(DeviceTimeTest, RecordLayoutAndSend) {
    const DeviceTime time{2026, 12, 7, 13, 5, 9};
    const auto record = EncodeDeviceTime(time);
    const std::vector<uint8_t> expected = {0xEA, 0x07, 0, 0, 12, 0, 0, 0, 7, 0, 0, 0,
                                           13,   0,    0, 0, 5,  0, 0, 0, 9, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(record.begin(), record.end()), expected);
    EXPECT_EQ(DecodeDeviceTime(record), time);

    // An undetermined time is six -1 fields.
    const auto unknown = EncodeDeviceTime(DeviceTime{});
    EXPECT_TRUE(std::all_of(unknown.begin(), unknown.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(DecodeDeviceTime(std::span<const uint8_t>(record.data(), 23)), DeviceTime{});

    ScriptedDeviceAccess access;
    access.Script(DevOp::SetConfig, {.result = 0, .error = 12});
    EXPECT_FALSE(SendDeviceTime(access, 5, time));
    EXPECT_TRUE(SendDeviceTime(access, 5, time));
    const auto set = access.Calls(DevOp::SetConfig).at(1);
    EXPECT_EQ(set.handle, 5);
    EXPECT_EQ(set.command, 8);
    EXPECT_EQ(set.channel, 0);
    EXPECT_EQ(set.size, 24);
    EXPECT_EQ(set.waitMs, 2000);
    EXPECT_EQ(set.data, expected);
}

}  // namespace
}  // namespace tesmara
