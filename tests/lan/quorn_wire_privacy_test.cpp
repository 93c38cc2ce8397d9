// What crosses the wire between libquorn and a recorder, seen by a relay in the middle that
// keeps every byte: no password, new password or configuration text in it, and a frame the
// relay alters or repeats ends the session on the side that receives it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quorn/Frame.h"
#include "quorn/quorn.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

constexpr char kRelayAddress[] = "192.168.14.1";
constexpr uint16_t kRelayPort = 40003;

// Forwards frame by frame between one client at a time and a recorder, keeping every byte it
// forwarded. `spoil` may replace a frame by other bytes (frames count per direction from 0).
class FrameRelay {
  public:
    using Spoil = std::function<std::vector<uint8_t>(bool toDevice, int index,
                                                     const std::vector<uint8_t>& frame)>;

    FrameRelay(const std::string& address, uint16_t port, Spoil spoil = nullptr)
        : spoil_(std::move(spoil)) {
        device_.sin_family = AF_INET;
        device_.sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &device_.sin_addr);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(kRelayPort);
        inet_pton(AF_INET, kRelayAddress, &a.sin_addr);
        ok_ = bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              listen(listener_, 4) == 0;
        accept_ = std::thread([this] {
            for (int client; (client = accept(listener_, nullptr, nullptr)) >= 0;) {
                int device = socket(AF_INET, SOCK_STREAM, 0);
                connect(device, reinterpret_cast<sockaddr*>(&device_), sizeof device_);
                std::lock_guard lock(mutex_);
                fds_.insert(fds_.end(), {client, device});
                pumps_.emplace_back([this, client, device] { Pump(client, device, true); });
                pumps_.emplace_back([this, client, device] { Pump(device, client, false); });
            }
        });
    }
    ~FrameRelay() {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        accept_.join();
        std::lock_guard lock(mutex_);
        for (int fd : fds_) shutdown(fd, SHUT_RDWR);
        for (auto& t : pumps_) t.join();
        for (int fd : fds_) close(fd);
    }
    bool Ok() const { return ok_; }
    std::string Captured() {
        std::lock_guard lock(mutex_);
        return captured_;
    }

  private:
    void Pump(int from, int to, bool toDevice) {
        quorn::FrameDecoder decoder;
        std::vector<uint8_t> buffer(65536);
        int index = 0;
        for (ssize_t n; (n = recv(from, buffer.data(), buffer.size(), 0)) > 0;) {
            decoder.Feed(buffer.data(), static_cast<size_t>(n));
            quorn::Frame f;
            while (decoder.Next(f)) {
                std::vector<uint8_t> bytes =
                    quorn::EncodeFrame(f.type, f.requestId, f.payload.data(), f.payload.size());
                if (spoil_) bytes = spoil_(toDevice, index, bytes);
                index++;
                {
                    std::lock_guard lock(mutex_);
                    captured_.append(bytes.begin(), bytes.end());
                }
                send(to, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            }
        }
        shutdown(to, SHUT_RDWR);
    }

    Spoil spoil_;
    sockaddr_in device_{};
    int listener_ = -1;
    bool ok_ = false;
    std::thread accept_;
    std::mutex mutex_;
    std::vector<int> fds_;
    std::vector<std::thread> pumps_;
    std::string captured_;
};

class QuornWirePrivacy : public LanTest {
  protected:
    void SetUp() override {
        LanTest::SetUp();
        std::string error;
        fleet_ = SessionFleet::FromJson(R"({"devices": [{"address": "192.168.14.20",
            "users": [{"name": "admin", "password": "Adm1n-Secret-42"}]}]})",
                                        &error);
        ASSERT_TRUE(fleet_) << error;
    }
    int32_t LoginThroughRelay(const char* password) {
        QuornDeviceInfo info{};
        int32_t code = 0;
        int32_t login = DevLogin(kRelayAddress, kRelayPort, "admin", password, &info, &code, 0, 0);
        EXPECT_NE(login, 0) << code;
        return login;
    }
    std::unique_ptr<SessionFleet> fleet_;
};

TEST_F(QuornWirePrivacy, NoPasswordNorConfigurationTextCrossesTheWire) {
    FrameRelay relay(fleet_->Address(0), fleet_->Port(0));
    ASSERT_TRUE(relay.Ok());
    int32_t login = LoginThroughRelay("Adm1n-Secret-42");
    ASSERT_NE(login, 0);
    std::vector<uint8_t> display(128, 0);
    int32_t returned = 0;
    ASSERT_EQ(DevGetConfig(login, 49, -1, display.data(), 128, &returned, 2000, 0, 0), 1);
    std::memcpy(&display[64], "MARKER-7f3c-display", 20);  // bytes the device keeps as written
    ASSERT_EQ(DevSetConfig(login, 49, -1, display.data(), 128, 2000), 1);
    std::vector<uint8_t> table(298480, 0);
    ASSERT_EQ(DevGetUserInfo(login, table.data(), 2000), 1);
    std::vector<uint8_t> withOld(&table[39020], &table[39020 + 1296]), withNew = withOld;
    std::strcpy(reinterpret_cast<char*>(&withOld[104]), "Adm1n-Secret-42");
    std::strcpy(reinterpret_cast<char*>(&withNew[104]), "N3w-Secret-99");
    ASSERT_EQ(DevModifyUser(login, 6, withNew.data(), withOld.data(), 2000), 1);
    DevLogout(login);
    int32_t again = LoginThroughRelay("N3w-Secret-99");
    DevLogout(again);

    std::string wire = relay.Captured();
    EXPECT_GT(wire.size(), 128u + 2 * 1296u);  // the relay saw the traffic
    for (const char* secret : {"Adm1n-Secret-42", "N3w-Secret-99", "MARKER-7f3c"})
        EXPECT_EQ(wire.find(secret), std::string::npos) << secret;
}

TEST_F(QuornWirePrivacy, AlteredOrRepeatedFrameEndsTheSession) {
    // Frames 0-2 each way are hello, login parameters and login; 3 is the first request and
    // the first reply after login.
    struct Case {
        const char* what;
        bool toDevice;
        bool repeat;  // else one bit flipped
    } cases[] = {
        {"request bit flipped", true, false},
        {"request repeated", true, true},
        {"reply bit flipped", false, false},
        {"reply repeated", false, true},
    };
    for (const auto& c : cases) {
        FrameRelay relay(fleet_->Address(0), fleet_->Port(0),
                         [&](bool toDevice, int index, const std::vector<uint8_t>& frame) {
                             if (toDevice != c.toDevice || index != 3) return frame;
                             std::vector<uint8_t> out = frame;
                             if (c.repeat) {
                                 out.insert(out.end(), frame.begin(), frame.end());
                             } else {
                                 out[quorn::kHeaderSize + 2] ^= 0x10;
                             }
                             return out;
                         });
        ASSERT_TRUE(relay.Ok());
        int32_t login = LoginThroughRelay("Adm1n-Secret-42");
        ASSERT_NE(login, 0) << c.what;
        uint8_t block[128];
        int32_t returned = 0;
        bool ended = false;
        for (int i = 0; i < 20 && !ended; ++i) {
            ended = DevGetConfig(login, 49, -1, block, 128, &returned, 500, 0, 0) == 0 &&
                    DevGetLastError() == 14;
        }
        EXPECT_TRUE(ended) << c.what;
        for (int i = 0; i < 100 && fleet_->Device(0).Snapshot().session.sessions > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(fleet_->Device(0).Snapshot().session.sessions, 0u) << c.what;
        DevLogout(login);
    }
}

}  // namespace
}  // namespace tesmara::lan
