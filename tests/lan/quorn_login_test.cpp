// libquorn's logins and handles against devsim recorders over real sockets: every login answer
// reaches the caller as the device gave it, and handles that are stale or foreign are errors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "quorn/quorn.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

class QuornLogin : public LanTest {
  protected:
    void Start(const std::string& json) {
        std::string error;
        fleet_ = SessionFleet::FromJson(json, &error);
        ASSERT_TRUE(fleet_) << error;
        DevInit(nullptr, nullptr);
    }

    // The handle, or 0 with *code set.
    int32_t Login(size_t device, const char* user, const char* password, int32_t* code) {
        QuornDeviceInfo info{};
        *code = 0;
        return DevLogin(fleet_->Address(device).c_str(), fleet_->Port(device), user, password,
                        &info, code, 0, 0);
    }

    std::unique_ptr<SessionFleet> fleet_;
};

TEST_F(QuornLogin, DefaultAdminWithEmptyPasswordLogsInAndOut) {
    Start(R"({"generate": {"count": 1, "baseAddress": "192.168.7.10"}})");
    QuornDeviceInfo info{};
    int32_t code = -5;
    int32_t login =
        DevLogin(fleet_->Address(0).c_str(), fleet_->Port(0), "admin", "", &info, &code, 0, 0);
    ASSERT_NE(login, 0);
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(info.text, "QX-NVR-0804");
    EXPECT_EQ(fleet_->Device(0).Snapshot().session.sessions, 1u);
    EXPECT_EQ(DevLogout(login), 1);
    // The device frees the session once the connection has ended.
    for (int i = 0; i < 100 && fleet_->Device(0).Snapshot().session.sessions != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(fleet_->Device(0).Snapshot().session.sessions, 0u);
}

TEST_F(QuornLogin, DeviceAnswersReachTheCaller) {
    Start(R"({"devices": [
        {"address": "192.168.7.20", "users": [{"name": "admin", "password": "s3cret"}]}]})");
    int32_t code;
    EXPECT_EQ(Login(0, "admin", "wrong", &code), 0);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(DevGetLastError(), 1);
    EXPECT_EQ(Login(0, "nobody", "s3cret", &code), 0);
    EXPECT_EQ(code, 2);
    int32_t login = Login(0, "admin", "s3cret", &code);
    EXPECT_NE(login, 0);
    EXPECT_EQ(code, 0);
    DevLogout(login);
}

TEST_F(QuornLogin, RepeatedWrongPasswordsLockTheAccount) {
    Start(R"({"devices": [{"address": "192.168.7.30", "lockAfter": 3,
                           "users": [{"name": "admin", "password": "pw"}]}]})");
    int32_t code;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Login(0, "admin", "bad", &code), 0);
        EXPECT_EQ(code, 1) << "attempt " << i;
    }
    EXPECT_EQ(Login(0, "admin", "pw", &code), 0);
    EXPECT_EQ(code, 5);
}

// An entry of the account table naming `user` with `password` in its password slot.
std::vector<uint8_t> Entry(const char* user, const char* password) {
    std::vector<uint8_t> entry(1296, 0);
    std::strcpy(reinterpret_cast<char*>(&entry[8]), user);
    std::strcpy(reinterpret_cast<char*>(&entry[104]), password);
    return entry;
}

int32_t ChangePassword(int32_t login, const char* user, const char* current, const char* next) {
    std::vector<uint8_t> withNew = Entry(user, next), withOld = Entry(user, current);
    return DevModifyUser(login, 6, withNew.data(), withOld.data(), 2000) == 1 ? 0
                                                                              : DevGetLastError();
}

TEST_F(QuornLogin, OnlyAnAccountManagerChangesAnotherAccountsPassword) {
    Start(R"({"devices": [{"address": "192.168.7.50", "users": [{"name": "admin",
        "password": "a"}, {"name": "viewer", "password": "v"}, {"name": "guest", "password": "g"}]}]})");
    int32_t code;
    int32_t viewer = Login(0, "viewer", "v", &code);
    int32_t admin = Login(0, "admin", "a", &code);
    ASSERT_NE(viewer, 0);
    ASSERT_NE(admin, 0);
    struct Case {
        int32_t login;
        const char* user;
        const char* current;
        const char* next;
        int32_t status;
    } cases[] = {
        {viewer, "guest", "g", "g2", 31},  // not the viewer's to change
        {viewer, "viewer", "v", "v2", 0},  // its own, with its current password
        {admin, "guest", "g", "g2", 0},    // the manager may
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangePassword(c.login, c.user, c.current, c.next), c.status) << c.user;
    // The new salts come from the tool's own changes: they are taken.
    int32_t again = Login(0, "viewer", "v2", &code);
    EXPECT_NE(again, 0) << code;
    DevLogout(again);
    DevLogout(viewer);
    DevLogout(admin);
}

TEST_F(QuornLogin, WrongCurrentPasswordsLockTheSourceOutLikeWrongLogins) {
    Start(R"({"devices": [{"address": "192.168.7.60", "lockAfter": 3,
        "users": [{"name": "admin", "password": "a"}, {"name": "viewer", "password": "v"}]}]})");
    int32_t code;
    int32_t viewer = Login(0, "viewer", "v", &code);
    ASSERT_NE(viewer, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ChangePassword(viewer, "viewer", "guess", "x"), 27) << i;
    // Now locked out: even the right current password, and a login from here, get 5.
    EXPECT_EQ(ChangePassword(viewer, "viewer", "v", "x"), 5);
    EXPECT_EQ(Login(0, "admin", "a", &code), 0);
    EXPECT_EQ(code, 5);
    DevLogout(viewer);
}

TEST_F(QuornLogin, InjectedRefusalsOneToSevenPassThrough) {
    std::string json = R"({"devices": [)";
    for (int c = 1; c <= 7; ++c) {
        json += (c > 1 ? "," : "") + std::string(R"({"address": "192.168.8.)") + std::to_string(c) +
                R"(", "loginError": )" + std::to_string(c) + "}";
    }
    Start(json + "]}");
    for (int c = 1; c <= 7; ++c) {
        int32_t code;
        EXPECT_EQ(Login(static_cast<size_t>(c - 1), "admin", "", &code), 0);
        EXPECT_EQ(code, c);
        EXPECT_EQ(DevGetLastError(), c);
    }
}

TEST_F(QuornLogin, SessionLimitAnswersBusy) {
    Start(R"({"devices": [{"address": "192.168.7.40", "maxSessions": 2}]})");
    int32_t code;
    int32_t a = Login(0, "admin", "", &code);
    int32_t b = Login(0, "admin", "", &code);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    EXPECT_EQ(Login(0, "admin", "", &code), 0);
    EXPECT_EQ(code, 7);
    DevLogout(a);
    DevLogout(b);
}

TEST_F(QuornLogin, ConnectionsWithoutALoginAreFewAndCannotWait) {
    Start(R"({"devices": [{"address": "192.168.7.90"}]})");
    std::vector<int> idle;
    for (int i = 0; i < 16; ++i) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(fleet_->Port(0));
        inet_pton(AF_INET, "192.168.7.90", &a.sin_addr);
        idle.push_back(socket(AF_INET, SOCK_STREAM, 0));
        ASSERT_EQ(connect(idle.back(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int32_t code;
    EXPECT_EQ(Login(0, "admin", "", &code), 0);
    EXPECT_EQ(code, 9);  // reset at once
    // They are dropped when their time to log in is up.
    std::this_thread::sleep_for(std::chrono::milliseconds(11000));
    int32_t login = Login(0, "admin", "", &code);
    EXPECT_NE(login, 0) << code;
    DevLogout(login);
    for (int fd : idle) close(fd);
}

TEST_F(QuornLogin, UnreachableHostsGiveCodeNine) {
    Start(R"({"devices": [{"address": "192.168.7.50", "unreachable": true}]})");
    int32_t code;
    EXPECT_EQ(Login(0, "admin", "", &code), 0);
    EXPECT_EQ(code, 9);
    QuornDeviceInfo info{};
    // Nothing listens on this port; and a name is not an address.
    code = 0;
    EXPECT_EQ(DevLogin("192.168.7.51", 1, "admin", "", &info, &code, 0, 0), 0);
    EXPECT_EQ(code, 9);
    code = 0;
    EXPECT_EQ(DevLogin("not-an-address", 34567, "admin", "", &info, &code, 0, 0), 0);
    EXPECT_EQ(code, 9);
    // The error code out-argument may be null.
    EXPECT_EQ(DevLogin("192.168.7.51", 1, "admin", "", &info, nullptr, 0, 0), 0);
    EXPECT_EQ(DevGetLastError(), 9);
}

TEST_F(QuornLogin, SilentDeviceTimesOutWithinTheLoginBound) {
    Start(R"({"devices": [{"address": "192.168.7.60", "silent": true}]})");
    auto start = std::chrono::steady_clock::now();
    int32_t code;
    EXPECT_EQ(Login(0, "admin", "", &code), 0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(code, 3);
    EXPECT_GE(seconds, 4.5);
    EXPECT_LE(seconds, 7.0);
}

TEST_F(QuornLogin, StaleAndForeignHandlesAreErrorsNotCrashes) {
    Start(R"({"generate": {"count": 1, "baseAddress": "192.168.7.70"}})");
    int32_t code;
    int32_t login = Login(0, "admin", "", &code);
    ASSERT_NE(login, 0);
    EXPECT_EQ(DevLogout(login), 1);
    uint8_t buffer[772] = {};
    int32_t returned = 0;
    for (int32_t handle : {login, 0, -1, 0x7FFFFFFF}) {
        EXPECT_EQ(DevLogout(handle), 0);
        EXPECT_EQ(DevGetLastError(), 11);
        EXPECT_EQ(DevGetConfig(handle, 81, -1, buffer, 772, &returned, -1, 0, 0), 0);
        EXPECT_EQ(DevSetConfig(handle, 81, -1, buffer, 772, -1), 0);
        EXPECT_EQ(DevImportConfig(handle, "/nonexistent.coi", 0, 0, 0, 0, 1), 0);
        EXPECT_EQ(DevUpgrade(handle, "/nonexistent.bin", nullptr, nullptr), 0);
        EXPECT_EQ(DevUpgradeStart(handle), 0);
        EXPECT_EQ(DevCloseUpgrade(handle), 0);
        EXPECT_EQ(DevReboot(handle), 0);
        EXPECT_EQ(DevGetUserInfo(handle, buffer, 1000), 0);
        EXPECT_EQ(DevModifyUser(handle, 6, buffer, buffer, 1000), 0);
        EXPECT_EQ(DevGetLastError(), 11);
    }
    // A login handle is no upgrade handle.
    login = Login(0, "admin", "", &code);
    ASSERT_NE(login, 0);
    EXPECT_EQ(DevUpgradeStart(login), 0);
    EXPECT_EQ(DevGetLastError(), 11);
    DevLogout(login);
}

struct Lost {
    std::mutex mutex;
    std::vector<std::tuple<int32_t, std::string, int32_t>> calls;
};

void QUORN_CALL OnLost(int32_t login, const char* address, int32_t port, void* user) {
    auto* lost = static_cast<Lost*>(user);
    std::lock_guard lock(lost->mutex);
    lost->calls.emplace_back(login, address, port);
}

TEST_F(QuornLogin, DisconnectCallbackTellsOfLostSessionsButNotOfLogouts) {
    Start(R"({"devices": [{"address": "192.168.7.80", "tcpPort": 34570}]})");
    Lost lost;
    DevInit(OnLost, &lost);
    int32_t code;
    int32_t kept = Login(0, "admin", "", &code);
    int32_t closed = Login(0, "admin", "", &code);
    ASSERT_NE(kept, 0);
    ASSERT_NE(closed, 0);
    EXPECT_EQ(DevLogout(closed), 1);
    int32_t rebooter = Login(0, "admin", "", &code);
    ASSERT_NE(rebooter, 0);
    EXPECT_EQ(DevReboot(rebooter), 1);
    for (int i = 0; i < 100; ++i) {
        {
            std::lock_guard lock(lost.mutex);
            if (lost.calls.size() >= 2) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    DevInit(nullptr, nullptr);
    std::lock_guard lock(lost.mutex);
    ASSERT_EQ(lost.calls.size(), 2u);  // kept and rebooter; never the logged-out one
    for (const auto& [login, address, port] : lost.calls) {
        EXPECT_TRUE(login == kept || login == rebooter);
        EXPECT_EQ(address, "192.168.7.80");
        EXPECT_EQ(port, 34570);
    }
    DevLogout(kept);
    DevLogout(rebooter);
}

}  // namespace
}  // namespace tesmara::lan
