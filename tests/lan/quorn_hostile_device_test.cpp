// libquorn against a hostile "device" (a raw TCP peer in this test, not devsim): answers that
// are malformed, out of step, oversized or random must end in failed calls with codes, never
// in a crash, a hang beyond the waits, or a callback out of contract.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "devsim/session/Images.h"
#include "quorn/Frame.h"
#include "quorn/Protocol.h"
#include "quorn/quorn.h"
#include "tests/lan/support/SealedPeer.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

constexpr char kAddress[] = "192.168.12.10";
constexpr uint16_t kPort = 40001;

// Accepts one connection at a time and hands it to `serve`.
class RawDevice {
  public:
    explicit RawDevice(std::function<void(int)> serve) : serve_(std::move(serve)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(kPort);
        inet_pton(AF_INET, kAddress, &a.sin_addr);
        ok_ = bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              listen(listener_, 8) == 0;
        thread_ = std::thread([this] {
            for (;;) {
                int fd = accept(listener_, nullptr, nullptr);
                if (fd < 0) return;
                serve_(fd);
                close(fd);
            }
        });
    }
    ~RawDevice() {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
    }
    bool Ok() const { return ok_; }

  private:
    std::function<void(int)> serve_;
    int listener_ = -1;
    bool ok_ = false;
    std::thread thread_;
};

void SendBytes(int fd, const std::vector<uint8_t>& bytes) {
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void SendFrame(int fd, uint8_t type, uint32_t id, const std::vector<uint8_t>& payload) {
    SendBytes(fd, quorn::EncodeFrame(type, id, payload.data(), payload.size()));
}

// Reads one whole frame (or gives up after a second).
bool ReadFrame(int fd, quorn::FrameDecoder& decoder, quorn::Frame& frame) {
    uint8_t buffer[4096];
    for (int i = 0; i < 100; ++i) {
        if (decoder.Next(frame)) return true;
        timeval tv{0, 10000};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n == 0) return false;
        if (n > 0) decoder.Feed(buffer, static_cast<size_t>(n));
    }
    return false;
}

int32_t Login(int32_t* code) {
    QuornDeviceInfo info{};
    *code = 0;
    return DevLogin(kAddress, kPort, "admin", "", &info, code, 0, 0);
}

class QuornHostileDevice : public LanTest {
  protected:
    void SetUp() override {
        LanTest::SetUp();
        DevInit(nullptr, nullptr);
    }
};

TEST_F(QuornHostileDevice, MalformedLoginAnswersGiveNetworkCode) {
    std::atomic<int> variant{0};
    RawDevice device([&](int fd) {
        // A sound channel, then: a login code out of range, a stretch below the floor, a
        // device that cannot prove it holds the password's key.
        if (variant >= 5 && variant <= 7) {
            SealedPeer peer(fd);
            if (variant == 5) peer.Accept("", 0x40);
            if (variant == 6) peer.Accept("", 0, quorn::kLoginCountFloor - 1);
            if (variant == 7) peer.Accept("not the password");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return;
        }
        quorn::FrameDecoder decoder;
        quorn::Frame f;
        if (!ReadFrame(fd, decoder, f)) return;
        switch (variant.load()) {
            case 0:
                SendBytes(fd, std::vector<uint8_t>(64, 0xEE));
                break;  // garbage
            case 1:
                SendFrame(fd, 0x81, f.requestId, {0, 0});
                break;  // short hello
            case 2:
                SendFrame(fd, 0x81, f.requestId + 5, std::vector<uint8_t>(22, 0));
                break;
            case 3: {  // a header announcing more than the limit
                std::vector<uint8_t> h(16);
                quorn::EncodeHeader(0x81, f.requestId, quorn::kMaxPayload + 1, h.data());
                SendBytes(fd, h);
                break;
            }
            case 4: {  // hello fine, then a key share of small order
                quorn::Writer hello;
                hello.I32(0).U16(quorn::kMaxVersion).Bytes(std::vector<uint8_t>(32, 0).data(), 32);
                SendFrame(fd, 0x81, f.requestId, hello.Data());
                break;
            }
            case 8:  // refusals before the channel: nobody's word, not the device's
                SendFrame(fd, 0x81, f.requestId, {1, 0, 0, 0});
                break;
            case 9:
                SendFrame(fd, 0xFF, f.requestId, {5, 0, 0, 0});
                break;
            default:
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    ASSERT_TRUE(device.Ok());
    for (int v = 0; v < 10; ++v) {
        variant = v;
        int32_t code;
        EXPECT_EQ(Login(&code), 0) << "variant " << v;
        EXPECT_EQ(code, 8) << "variant " << v;
    }
}

// A firmware file of `size` bytes with a sound header (the library looks at it), removed when
// the object goes.
class ImageFile {
  public:
    explicit ImageFile(size_t size) {
        int fd = mkstemp(path_);
        devsim::ImageHeader header;
        header.model = "QX-NVR-0804";
        header.payloadLength = size - devsim::kImageHeaderSize;
        std::vector<uint8_t> bytes = devsim::EncodeImageHeader(header);
        bytes.resize(size, 0x33);
        ok_ = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(size);
        close(fd);
    }
    ~ImageFile() { unlink(path_); }
    const char* Path() const { return path_; }
    bool Ok() const { return ok_; }

  private:
    char path_[32] = "/tmp/quorn-hostile-XXXXXX";
    bool ok_ = false;
};

TEST_F(QuornHostileDevice, AfterAGoodLoginAnotherSaltOrCountIsNotBelieved) {
    struct Offer {
        uint32_t count;
        uint8_t saltByte;
        int32_t code;
    } offers[] = {
        {quorn::kLoginCountFloor, 7, 0},
        {quorn::kLoginCountFloor, 8, 8},  // another salt
        {quorn::kLoginCountFloor + 1, 7, 8},
        {quorn::kLoginCountFloor, 7, 0},
    };
    std::atomic<size_t> next{0};
    RawDevice device([&](int fd) {
        const Offer& offer = offers[next];
        SealedPeer(fd).Accept("", 0, offer.count, offer.saltByte);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    ASSERT_TRUE(device.Ok());
    for (; next < std::size(offers); ++next) {
        int32_t code, login = Login(&code);
        EXPECT_EQ(code, offers[next].code) << next;
        DevLogout(login);
    }
}

TEST_F(QuornHostileDevice, FramesNobodyWaitsForDuringLoginAreIgnored) {
    RawDevice device([&](int fd) {
        SealedPeer peer(fd);
        peer.Chatter();
        peer.Accept("pw");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    ASSERT_TRUE(device.Ok());
    QuornDeviceInfo info{};
    int32_t code = -1;
    int32_t login = DevLogin(kAddress, kPort, "admin", "pw", &info, &code, 0, 0);
    EXPECT_NE(login, 0);
    EXPECT_EQ(code, 0);
    DevLogout(login);
}

TEST_F(QuornHostileDevice, RandomFramesAfterLoginFailCallsWithoutHarm) {
    std::atomic<uint32_t> seed{1};
    RawDevice device([&](int fd) {
        SealedPeer peer(fd);
        if (!peer.Accept()) return;
        std::mt19937 rng(seed.load());
        // Answer each request with a random frame of a random type and the request's id (or
        // another); now and then unsolicited upgrade frames.
        for (int i = 0; i < 40; ++i) {
            quorn::Frame f;
            if (!peer.Read(f)) return;
            if (f.type == 0x04 || f.type == 0x21) continue;
            std::vector<uint8_t> payload(rng() % 64);
            for (auto& b : payload) b = static_cast<uint8_t>(rng() % 3 ? rng() % 4 : rng());
            static const uint8_t kTypes[] = {0x90, 0x91, 0x92, 0x93, 0x94, 0x95,
                                             0xA0, 0xFF, 0x23, 0x24, 0x04, 0x66};
            uint32_t id = rng() % 4 ? f.requestId : static_cast<uint32_t>(rng());
            peer.Send(kTypes[rng() % sizeof kTypes], id, payload);
        }
    });
    ASSERT_TRUE(device.Ok());
    ImageFile image(200000);
    ASSERT_TRUE(image.Ok());
    const char* path = image.Path();
    for (uint32_t round = 1; round <= 6; ++round) {
        seed = round;
        int32_t code;
        int32_t login = Login(&code);
        ASSERT_NE(login, 0) << code;
        std::vector<uint8_t> buffer(298480, 0);
        int32_t returned = 0;
        for (int i = 0; i < 2; ++i) {
            DevGetConfig(login, 81, -1, buffer.data(), 772, &returned, 300, 0, 0);
            EXPECT_LE(returned, 772);
            DevSetConfig(login, 49, -1, buffer.data(), 128, 300);
            DevGetUserInfo(login, buffer.data(), 300);
            DevModifyUser(login, 6, buffer.data(), buffer.data(), 300);
        }
        std::atomic<int> finals{0};
        auto* counter = &finals;
        int32_t upgrade = DevUpgrade(
            login, path,
            [](int32_t, int32_t, int32_t total, int32_t current, void* user) {
                auto* n = static_cast<std::atomic<int>*>(user);
                if (total == 0) {
                    EXPECT_TRUE(current == -1 || current == -2);
                    (*n)++;
                } else if (total == -1) {
                    EXPECT_GE(current, 0);
                    EXPECT_LE(current, 100);
                } else {
                    EXPECT_GT(current, 0);
                    EXPECT_LE(current, total);
                }
            },
            counter);
        if (upgrade && DevUpgradeStart(upgrade)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        DevCloseUpgrade(upgrade);
        DevLogout(login);
        EXPECT_LE(finals.load(), 1);
    }
}

// Final callbacks of one upgrade and when the first came.
struct Finals {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    int32_t value = 0;

    static void QUORN_CALL Record(int32_t, int32_t, int32_t total, int32_t current, void* user) {
        if (total != 0) return;
        auto* f = static_cast<Finals*>(user);
        std::lock_guard lock(f->mutex);
        f->count++;
        f->value = current;
        f->changed.notify_all();
    }
    bool Wait(std::chrono::seconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return count > 0; });
    }
};

TEST_F(QuornHostileDevice, UpgradeThatIsNeverAcknowledgedEndsWithinTheStallBound) {
    // The device grants a window, takes nothing and keeps the connection alive.
    std::atomic<bool> done{false};
    std::atomic<bool> aborted{false};
    RawDevice device([&](int fd) {
        SealedPeer peer(fd);
        if (!peer.Accept()) return;
        char peek;
        while (!done && recv(fd, &peek, 1, MSG_PEEK | MSG_DONTWAIT) != 0) {
            quorn::Frame f;
            if (peer.Read(f)) {
                if (f.type == 0x20) {
                    quorn::Writer window;
                    window.I32(0).U32(1024 * 1024);
                    peer.Send(0xA0, f.requestId, window.Data());
                }
                if (f.type == 0x22) aborted = true;
            }
            peer.Send(0x04, 0, {});
        }
    });
    ASSERT_TRUE(device.Ok());
    ImageFile image(4 * 1024 * 1024);
    ASSERT_TRUE(image.Ok());
    int32_t code;
    int32_t login = Login(&code);
    ASSERT_NE(login, 0) << code;
    Finals finals;
    auto start = std::chrono::steady_clock::now();
    int32_t upgrade = DevUpgrade(login, image.Path(), Finals::Record, &finals);
    ASSERT_EQ(DevUpgradeStart(upgrade), 1);
    EXPECT_TRUE(finals.Wait(std::chrono::seconds(20)));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(seconds, 14.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    {
        std::lock_guard lock(finals.mutex);
        EXPECT_EQ(finals.count, 1);
        EXPECT_EQ(finals.value, -2);
    }
    EXPECT_TRUE(aborted.load());
    DevCloseUpgrade(upgrade);
    DevLogout(login);
    done = true;
}

TEST_F(QuornHostileDevice, ClosingEndsTheStartsWaitForAnUnansweredBegin) {
    std::atomic<bool> done{false}, aborted{false};
    RawDevice device([&](int fd) {
        SealedPeer peer(fd);
        if (!peer.Accept()) return;
        for (quorn::Frame f; !done;) {
            if (peer.Read(f) && f.type == 0x22) aborted = true;
        }
    });
    ASSERT_TRUE(device.Ok());
    ImageFile image(200000);
    int32_t code;
    int32_t login = Login(&code);
    ASSERT_NE(login, 0) << code;
    int32_t upgrade = DevUpgrade(login, image.Path(), nullptr, nullptr);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        DevCloseUpgrade(upgrade);
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DevUpgradeStart(upgrade), 0);
    EXPECT_EQ(DevGetLastError(), 19);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    closer.join();
    // The device may have begun: it is told to forget the upgrade.
    for (int i = 0; i < 100 && !aborted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(aborted.load());
    DevLogout(login);
    done = true;
}

// Open descriptors and mapped address space of this process.
size_t OpenDescriptors() {
    size_t n = 0;
    for (int fd = 0; fd < 4096; ++fd) n += fcntl(fd, F_GETFD) != -1;
    return n;
}

long AddressSpaceKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmSize:") {
            status >> value;
            return value;
        }
    }
    return 0;
}

std::atomic<int> g_lost{0};

TEST_F(QuornHostileDevice, DroppedSessionFreesSocketAndThreadButKeepsItsHandle) {
    RawDevice device([&](int fd) {
        SealedPeer(fd).Accept();  // then hang up
    });
    ASSERT_TRUE(device.Ok());
    DevInit([](int32_t, const char*, int32_t, void*) { g_lost++; }, nullptr);
    constexpr int kSessions = 20;
    std::vector<int32_t> logins;
    // Logs in kSessions times; the device hangs up on each. Waits until every loss was told
    // and the descriptors are back to `descriptors`.
    auto dropSessions = [&](size_t descriptors) {
        g_lost = 0;
        for (int i = 0; i < kSessions; ++i) {
            int32_t code;
            logins.push_back(Login(&code));
            EXPECT_NE(logins.back(), 0) << code;
        }
        for (int i = 0; i < 300 && (g_lost < kSessions || OpenDescriptors() > descriptors); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(g_lost.load(), kSessions);
    };
    // One malloc arena: otherwise a round whose threads overlap more than the last one's makes
    // new 64 MiB arenas, which would read as a leak.
    mallopt(M_ARENA_MAX, 1);
    size_t descriptors = OpenDescriptors();
    // A first round lets the C library fill its cache of thread stacks, which stays.
    dropSessions(descriptors);
    long space = AddressSpaceKiB();
    dropSessions(descriptors);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    // Each unjoined thread would keep its whole 8 MiB stack mapped; the bound sits at half of
    // that per session, well above what the C library's stack cache adds on a loaded machine.
    EXPECT_LT(AddressSpaceKiB() - space, kSessions * 4096L);
    for (int32_t login : logins) {
        uint8_t block[128];
        int32_t returned = 0;
        EXPECT_EQ(DevGetConfig(login, 49, -1, block, 128, &returned, 500, 0, 0), 0);
        EXPECT_EQ(DevGetLastError(), 14);
        EXPECT_EQ(DevLogout(login), 1);
    }
    DevInit(nullptr, nullptr);
}

}  // namespace
}  // namespace tesmara::lan
