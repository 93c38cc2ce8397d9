// libquorn's configuration, account, import and reboot operations against devsim recorders:
// what a session writes is what the device then holds and reports, refusals arrive as codes,
// and every wait is honoured.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "devsim/model/SimDevice.h"
#include "devsim/session/Images.h"
#include "quorn/quorn.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

using Clock = std::chrono::steady_clock;

void Put32(uint8_t* p, int32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

int32_t Get32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
}

class QuornConfig : public LanTest {
  protected:
    void Start(const std::string& json) {
        std::string error;
        fleet_ = SessionFleet::FromJson(json, &error);
        ASSERT_TRUE(fleet_) << error;
        login_ = LoginTo(0, "admin", "");
        ASSERT_NE(login_, 0);
    }
    void TearDown() override {
        if (login_) DevLogout(login_);
    }
    int32_t LoginTo(size_t device, const char* user, const char* password) {
        QuornDeviceInfo info{};
        int32_t code = 0;
        return DevLogin(fleet_->Address(device).c_str(), fleet_->Port(device), user, password,
                        &info, &code, 0, 0);
    }
    std::vector<uint8_t> Get(int32_t command, int32_t size) {
        std::vector<uint8_t> block(static_cast<size_t>(size), 0);
        int32_t returned = 0;
        EXPECT_NE(DevGetConfig(login_, command, -1, block.data(), size, &returned, -1, 0, 0), 0)
            << DevGetLastError();
        EXPECT_EQ(returned, size);
        return block;
    }

    std::unique_ptr<SessionFleet> fleet_;
    int32_t login_ = 0;
};

TEST_F(QuornConfig, ClockSetIsWhatDiscoveryReports) {
    Start(R"({"generate": {"count": 1, "baseAddress": "192.168.9.10"}})");
    uint8_t record[24];
    int32_t fields[6] = {2031, 5, 17, 8, 9, 10};
    for (int i = 0; i < 6; ++i) Put32(record + 4 * i, fields[i]);
    ASSERT_EQ(DevSetConfig(login_, 8, 0, record, 24, 2000), 1);
    std::string shown = devsim::DeviceTimeText(fleet_->Device(0).Snapshot());
    EXPECT_EQ(shown.substr(0, 16), "2031-05-17 08:09");
    std::vector<uint8_t> back = Get(8, 24);
    EXPECT_EQ(Get32(&back[0]), 2031);
    EXPECT_EQ(Get32(&back[8]), 17);
    // A field the PC could not determine is refused, not stored.
    Put32(record + 4, -1);
    EXPECT_EQ(DevSetConfig(login_, 8, 0, record, 24, 2000), 0);
    EXPECT_EQ(DevGetLastError(), 22);
}

TEST_F(QuornConfig, DisplayBlockRoundTripsEveryByte) {
    Start(R"({"generate": {"count": 1, "baseAddress": "192.168.9.20"}})");
    std::vector<uint8_t> block = Get(49, 128);
    block[21] = 1;
    block[23] = 5;
    Put32(&block[28], 21);
    ASSERT_EQ(DevSetConfig(login_, 49, -1, block.data(), 128, -1), 1);
    EXPECT_EQ(Get(49, 128), block);
    block[23] = 4;  // no such resolution
    EXPECT_EQ(DevSetConfig(login_, 49, -1, block.data(), 128, -1), 0);
    EXPECT_EQ(DevGetLastError(), 22);
}

TEST_F(QuornConfig, NetworkBlockChangesAddressAndPortsOfTheDevice) {
    Start(R"({"devices": [{"address": "192.168.9.30", "mac": "00-1A-2B-00-00-30",
                           "tcpPort": 34567, "httpPort": 80}]})");
    std::vector<uint8_t> block = Get(81, 772);
    EXPECT_EQ(Get32(&block[68]), 80);
    EXPECT_EQ(Get32(&block[72]), 34567);
    EXPECT_STREQ(reinterpret_cast<char*>(&block[120]), "00:1A:2B:00:00:30");
    EXPECT_STREQ(reinterpret_cast<char*>(&block[152]), "192.168.9.30");
    EXPECT_STREQ(reinterpret_cast<char*>(&block[172]), "255.255.255.0");
    EXPECT_STREQ(reinterpret_cast<char*>(&block[192]), "192.168.9.1");
    Put32(&block[68], 8080);
    Put32(&block[72], 34600);
    std::strcpy(reinterpret_cast<char*>(&block[152]), "192.168.9.31");
    std::strcpy(reinterpret_cast<char*>(&block[192]), "192.168.9.254");
    ASSERT_EQ(DevSetConfig(login_, 81, -1, block.data(), 772, -1), 1);
    devsim::DeviceState s = fleet_->Device(0).Snapshot();
    EXPECT_EQ(s.address, "192.168.9.31");
    EXPECT_EQ(s.gateway, "192.168.9.254");
    EXPECT_EQ(s.httpPort, 8080);
    EXPECT_EQ(s.tcpPort, 34600);
    // The bytes nobody names come back exactly as written.
    EXPECT_EQ(Get(81, 772), block);
    // The device now takes sessions at its new address and port.
    QuornDeviceInfo info{};
    int32_t code = 0;
    int32_t second = DevLogin("192.168.9.31", 34600, "admin", "", &info, &code, 0, 0);
    EXPECT_NE(second, 0) << code;
    DevLogout(second);
    // A slot without a terminator is refused.
    std::memset(&block[152], '1', 20);
    EXPECT_EQ(DevSetConfig(login_, 81, -1, block.data(), 772, -1), 0);
    EXPECT_EQ(DevGetLastError(), 22);
}

TEST_F(QuornConfig, RefusalsCarryTheirCodes) {
    Start(R"({"devices": [{"address": "192.168.9.40"},
                          {"address": "192.168.9.41", "failGetConfig": true,
                           "failSetConfig": true}]})");
    std::vector<uint8_t> buffer(772, 0);
    int32_t returned = 7;
    EXPECT_EQ(DevGetConfig(login_, 77, -1, buffer.data(), 772, &returned, -1, 0, 0), 0);
    EXPECT_EQ(DevGetLastError(), 20);
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(DevGetConfig(login_, 81, -1, buffer.data(), 100, &returned, -1, 0, 0), 0);
    EXPECT_EQ(DevGetLastError(), 21);
    EXPECT_EQ(DevSetConfig(login_, 81, -1, buffer.data(), 771, -1), 0);
    EXPECT_EQ(DevGetLastError(), 21);
    EXPECT_EQ(DevGetConfig(login_, 81, -1, nullptr, 772, &returned, -1, 0, 0), 0);
    EXPECT_EQ(DevGetLastError(), 12);
    int32_t faulty = LoginTo(1, "admin", "");
    ASSERT_NE(faulty, 0);
    EXPECT_EQ(DevGetConfig(faulty, 81, -1, buffer.data(), 772, &returned, -1, 0, 0), 0);
    EXPECT_EQ(DevGetLastError(), 22);
    EXPECT_EQ(DevSetConfig(faulty, 49, -1, buffer.data(), 128, -1), 0);
    EXPECT_EQ(DevGetLastError(), 22);
    DevLogout(faulty);
}

TEST_F(QuornConfig, WaitIsHonouredAgainstASlowDevice) {
    // Three delayed answers and two stretches must fit the login's 5 s.
    Start(R"({"devices": [{"address": "192.168.9.50", "sessionDelayMs": 1200}]})");
    std::vector<uint8_t> buffer(128, 0);
    int32_t returned = 0;
    auto start = Clock::now();
    EXPECT_EQ(DevGetConfig(login_, 49, -1, buffer.data(), 128, &returned, 300, 0, 0), 0);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(DevGetLastError(), 13);
    EXPECT_GE(seconds, 0.29);
    EXPECT_LE(seconds, 0.8);
    // The late answer is dropped; the session goes on with a wait long enough.
    EXPECT_NE(DevGetConfig(login_, 49, -1, buffer.data(), 128, &returned, 5000, 0, 0), 0);
    EXPECT_EQ(returned, 128);
    // The one exception: a password change, which costs the device two stretches, gets 5 s.
    std::vector<uint8_t> oldEntry(1296, 0), newEntry(1296, 0);
    std::strcpy(reinterpret_cast<char*>(&oldEntry[8]), "admin");
    std::strcpy(reinterpret_cast<char*>(&newEntry[8]), "admin");
    std::strcpy(reinterpret_cast<char*>(&newEntry[104]), "new-pw");
    EXPECT_EQ(DevModifyUser(login_, 6, newEntry.data(), oldEntry.data(), 1000), 1);
}

TEST_F(QuornConfig, NullArgumentsFailWithTheirCodes) {
    Start(R"({"devices": [{"address": "192.168.9.45"}]})");
    const std::string address = fleet_->Address(0);
    const uint16_t port = fleet_->Port(0);
    uint8_t entry[1296] = {};
    int32_t code = 0;
    const struct {
        const char* call;
        std::function<int32_t()> run;
        int32_t error;
    } cases[] = {
        {"login, no address",
         [&] { return DevLogin(nullptr, port, "admin", "", nullptr, &code, 0, 0); }, 9},
        {"login, no user",
         [&] { return DevLogin(address.c_str(), port, nullptr, "", nullptr, &code, 0, 0); }, 2},
        {"get config",
         [&] { return DevGetConfig(login_, 49, -1, nullptr, 128, nullptr, -1, 0, 0); }, 12},
        {"set config", [&] { return DevSetConfig(login_, 49, -1, nullptr, 128, -1); }, 12},
        {"import", [&] { return DevImportConfig(login_, nullptr, 0, 0, 0, 0, 0); }, 16},
        {"upgrade", [&] { return DevUpgrade(login_, nullptr, nullptr, nullptr); }, 16},
        {"user table", [&] { return DevGetUserInfo(login_, nullptr, -1); }, 12},
        {"modify, no new entry", [&] { return DevModifyUser(login_, 6, nullptr, entry, -1); }, 12},
        {"modify, no old entry", [&] { return DevModifyUser(login_, 6, entry, nullptr, -1); }, 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.run(), 0) << c.call;
        EXPECT_EQ(DevGetLastError(), c.error) << c.call;
    }
    // A missing password is the empty one (devsim's admin has it), as is a missing info record.
    int32_t second = DevLogin(address.c_str(), port, "admin", nullptr, nullptr, nullptr, 0, 0);
    EXPECT_NE(second, 0);
    DevLogout(second);
}

TEST_F(QuornConfig, ImportTakesAGoodFileWholeAndRefusesABadOne) {
    Start(R"({"devices": [{"address": "192.168.9.60"},
                          {"address": "192.168.9.61", "failImport": true}]})");
    std::vector<uint8_t> display = Get(49, 128);
    display[21] = 1;
    std::vector<uint8_t> network = Get(81, 772);
    Put32(&network[68], 81);
    devsim::CoiBlock a{49, -1, display};
    devsim::CoiBlock b{81, -1, network};
    TempFile good(devsim::EncodeCoi({a, b}));
    ASSERT_EQ(DevImportConfig(login_, good.Path(), 0, 0, 0, 0, 1), 1) << DevGetLastError();
    EXPECT_EQ(fleet_->Device(0).Snapshot().httpPort, 81);
    EXPECT_EQ(fleet_->Device(0).Snapshot().session.displayBlock[21], 1);

    // Truncated, checksum broken, unknown command: refused whole, nothing applied.
    std::vector<uint8_t> bytes = devsim::EncodeCoi({a, b});
    TempFile truncated(std::vector<uint8_t>(bytes.begin(), bytes.end() - 9));
    bytes[20] ^= 1;
    TempFile corrupted(bytes);
    Put32(&network[68], 82);
    TempFile unknown(devsim::EncodeCoi({devsim::CoiBlock{b}, devsim::CoiBlock{12, -1, {1, 2}}}));
    for (const TempFile* file : {&truncated, &corrupted, &unknown}) {
        EXPECT_EQ(DevImportConfig(login_, file->Path(), 0, 0, 0, 0, 1), 0);
        EXPECT_EQ(DevGetLastError(), 23);
    }
    EXPECT_EQ(fleet_->Device(0).Snapshot().httpPort, 81);
    // Files the library refuses itself, before sending anything.
    TempFile empty({});
    const struct {
        const char* path;
        int32_t code;
    } unsent[] = {{"/nonexistent/x.coi", 16}, {empty.Path(), 17}, {"/", 17}};
    for (const auto& u : unsent) {
        EXPECT_EQ(DevImportConfig(login_, u.path, 0, 0, 0, 0, 1), 0);
        EXPECT_EQ(DevGetLastError(), u.code) << u.path;
    }

    int32_t faulty = LoginTo(1, "admin", "");
    ASSERT_NE(faulty, 0);
    EXPECT_EQ(DevImportConfig(faulty, good.Path(), 0, 0, 0, 0, 1), 0);
    EXPECT_EQ(DevGetLastError(), 22);
    DevLogout(faulty);
}

TEST_F(QuornConfig, UserTableAndPasswordChange) {
    Start(R"({"devices": [{"address": "192.168.9.70", "users": [
        {"name": "admin", "password": ""}, {"name": "viewer", "password": "old-pw"}]}]})");
    std::vector<uint8_t> table(298480, 0);
    DevGetUserInfo(login_, table.data(), 30000);
    const uint8_t* second = &table[39020 + 1296];
    EXPECT_STREQ(reinterpret_cast<const char*>(&table[39020 + 8]), "admin");
    EXPECT_STREQ(reinterpret_cast<const char*>(second + 8), "viewer");
    for (int i = 0; i < 96; ++i) ASSERT_EQ(second[104 + i], 0) << "password disclosed";

    std::vector<uint8_t> oldEntry(second, second + 1296), newEntry = oldEntry;
    std::strcpy(reinterpret_cast<char*>(&oldEntry[104]), "old-pw");
    std::strcpy(reinterpret_cast<char*>(&newEntry[104]), "new-pw");
    EXPECT_EQ(DevModifyUser(login_, 6, newEntry.data(), oldEntry.data(), 1000), 1);
    EXPECT_TRUE(fleet_->Device(0).Snapshot().session.users[1].password.empty());  // key only
    int32_t viewer = LoginTo(0, "viewer", "new-pw");
    EXPECT_NE(viewer, 0);
    DevLogout(viewer);

    // The current password no longer matches: refused, nothing changes.
    EXPECT_EQ(DevModifyUser(login_, 6, newEntry.data(), oldEntry.data(), 1000), 0);
    EXPECT_EQ(DevGetLastError(), 27);
    EXPECT_EQ(DevModifyUser(login_, 7, newEntry.data(), oldEntry.data(), 1000), 0);
    EXPECT_EQ(DevGetLastError(), 20);
    std::strcpy(reinterpret_cast<char*>(&oldEntry[8]), "ghost");
    std::strcpy(reinterpret_cast<char*>(&newEntry[8]), "ghost");
    EXPECT_EQ(DevModifyUser(login_, 6, newEntry.data(), oldEntry.data(), 1000), 0);
    EXPECT_EQ(DevGetLastError(), 28);
}

TEST_F(QuornConfig, RebootTakesTheDeviceAwayForItsOfflineTime) {
    Start(R"({"devices": [{"address": "192.168.9.80", "rebootOfflineMs": 1500}]})");
    EXPECT_EQ(DevReboot(login_), 1);
    // The connection ends: later calls on the login fail as disconnected.
    std::vector<uint8_t> buffer(128, 0);
    int32_t returned = 0;
    for (int i = 0;
         i < 50 && DevGetConfig(login_, 49, -1, buffer.data(), 128, &returned, 200, 0, 0) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(DevGetLastError(), 14);
    EXPECT_FALSE(fleet_->Device(0).Snapshot().online);
    EXPECT_EQ(LoginTo(0, "admin", ""), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1700));
    EXPECT_TRUE(fleet_->Device(0).Snapshot().online);
    int32_t again = LoginTo(0, "admin", "");
    EXPECT_NE(again, 0);
    DevLogout(again);
    EXPECT_EQ(DevLogout(login_), 1);  // the dead login's handle is still freed
    login_ = 0;
}

}  // namespace
}  // namespace tesmara::lan
