// libquorn's firmware upgrades against devsim recorders: the two progress phases, exactly one
// final state whatever happens (bad image, dropped connection, stalled device), and many
// upgrades at once; plus DevGetLastError staying per thread under concurrency.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "quorn/quorn.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

using namespace std::chrono_literals;

// Everything one upgrade's callback saw.
struct Progress {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<int32_t, int32_t>> events;  // (total, current)
    int finals = 0;
    int32_t final = 0;
    int32_t finalError = -1;  // DevGetLastError inside the final callback
    bool onCallerThread = false;
    std::thread::id caller = std::this_thread::get_id();

    bool WaitFinal(std::chrono::seconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return finals > 0; });
    }
};

void QUORN_CALL Record(int32_t, int32_t, int32_t total, int32_t current, void* user) {
    auto* p = static_cast<Progress*>(user);
    std::lock_guard lock(p->mutex);
    if (std::this_thread::get_id() == p->caller) p->onCallerThread = true;
    p->events.emplace_back(total, current);
    if (total == 0) {
        p->finals++;
        p->final = current;
        p->finalError = DevGetLastError();
    }
    p->changed.notify_all();
}

class QuornUpgrade : public LanTest {
  protected:
    void Start(const std::string& json) {
        std::string error;
        fleet_ = SessionFleet::FromJson(json, &error);
        ASSERT_TRUE(fleet_) << error;
    }
    int32_t LoginTo(size_t device) {
        QuornDeviceInfo info{};
        int32_t code = 0;
        int32_t login = DevLogin(fleet_->Address(device).c_str(), fleet_->Port(device), "admin", "",
                                 &info, &code, 0, 0);
        EXPECT_NE(login, 0) << "code " << code;
        return login;
    }
    // Opens and starts an upgrade; the upgrade handle (0 on failure).
    int32_t Begin(int32_t login, const char* path, Progress& progress) {
        int32_t upgrade = DevUpgrade(login, path, Record, &progress);
        EXPECT_NE(upgrade, 0) << DevGetLastError();
        if (upgrade) {
            EXPECT_EQ(DevUpgradeStart(upgrade), 1) << DevGetLastError();
        }
        return upgrade;
    }

    std::unique_ptr<SessionFleet> fleet_;
};

TEST_F(QuornUpgrade, GoodImageRunsBothPhasesThenTheDeviceRestartsWithItsVersion) {
    Start(R"({"devices": [{"address": "192.168.10.10", "writingMs": 300,
                           "rebootOfflineMs": 800}]})");
    TempImage image(3 * 1024 * 1024 + 17, "V9.9.9");
    int32_t login = LoginTo(0);
    Progress progress;
    int32_t upgrade = Begin(login, image.Path(), progress);
    ASSERT_TRUE(progress.WaitFinal(20s));
    std::this_thread::sleep_for(100ms);  // nothing may follow the final state
    std::lock_guard lock(progress.mutex);
    EXPECT_EQ(progress.finals, 1);
    EXPECT_EQ(progress.final, -1);
    EXPECT_EQ(progress.finalError, 0);
    EXPECT_FALSE(progress.onCallerThread);
    EXPECT_EQ(progress.events.back(), std::make_pair(0, -1));
    // Phase one: bytes of the whole file, growing to the total; then phase two percentages.
    const int32_t size = 3 * 1024 * 1024 + 17 + 160;
    int32_t lastBytes = 0, lastPercent = -1;
    bool secondPhase = false;
    for (size_t i = 0; i + 1 < progress.events.size(); ++i) {
        auto [total, current] = progress.events[i];
        if (total == -1) {
            secondPhase = true;
            EXPECT_GT(current, lastPercent);
            EXPECT_LE(current, 100);
            lastPercent = current;
        } else {
            EXPECT_FALSE(secondPhase) << "transfer progress after the writing phase began";
            EXPECT_EQ(total, size);
            EXPECT_GT(current, lastBytes);
            lastBytes = current;
        }
    }
    EXPECT_EQ(lastBytes, size);
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(DevCloseUpgrade(upgrade), 1);
    devsim::DeviceState s = fleet_->Device(0).Snapshot();
    EXPECT_EQ(s.releaseVersion, "V9.9.9");
    EXPECT_EQ(s.releaseTime, "2026-11-30 12:00:00");
    EXPECT_FALSE(s.online);
    std::this_thread::sleep_for(1000ms);
    EXPECT_TRUE(fleet_->Device(0).Snapshot().online);
    DevLogout(login);
}

TEST_F(QuornUpgrade, ProgressComesAtMostEveryPercentAndTenthOfASecond) {
    Start(R"({"devices": [{"address": "192.168.10.15", "writingMs": 1500,
                           "rebootOfflineMs": 300}]})");
    TempImage image(16 * 1024 * 1024, "V9.9.8");
    int32_t login = LoginTo(0);
    struct Timed {
        std::mutex mutex;
        std::vector<std::tuple<std::chrono::steady_clock::time_point, int32_t, int32_t>> calls;
        Progress progress;
    } timed;
    int32_t upgrade = DevUpgrade(
        login, image.Path(),
        [](int32_t l, int32_t u, int32_t total, int32_t current, void* user) {
            auto* t = static_cast<Timed*>(user);
            {
                std::lock_guard lock(t->mutex);
                t->calls.emplace_back(std::chrono::steady_clock::now(), total, current);
            }
            Record(l, u, total, current, &t->progress);
        },
        &timed);
    ASSERT_EQ(DevUpgradeStart(upgrade), 1);
    ASSERT_TRUE(timed.progress.WaitFinal(30s));
    EXPECT_EQ(timed.progress.final, -1);
    std::lock_guard lock(timed.mutex);
    // The last report before the final one may come early: it shows where the upgrade ended.
    ASSERT_GE(timed.calls.size(), 3u);
    const int64_t percent = (16 * 1024 * 1024 + 160) / 100;
    for (size_t i = 1; i + 2 < timed.calls.size(); ++i) {
        auto [at, total, current] = timed.calls[i];
        auto [lastAt, lastTotal, lastCurrent] = timed.calls[i - 1];
        EXPECT_GE(at - lastAt, 95ms) << i;
        if (total > 0 && lastTotal > 0 && current != total) {
            EXPECT_GE(current - lastCurrent, percent) << i;
        }
    }
    DevCloseUpgrade(upgrade);
    DevLogout(login);
}

// As a window does: the final callback hands the handle over, and another thread closes it
// while holding the lock the callback took.
TEST_F(QuornUpgrade, ClosingOnAnotherThreadAtTheFinalCallbackIsSafe) {
    Start(R"({"devices": [{"address": "192.168.10.25"}]})");
    TempImage otherModel(20000, "V2", "QX-DVR-1600");
    int32_t login = LoginTo(0);
    struct Handover {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<int32_t> finished;
        int finals = 0;
    } handover;
    constexpr int kRounds = 30;
    std::thread closer([&] {
        std::unique_lock lock(handover.mutex);
        for (int closed = 0; closed < kRounds; ++closed) {
            if (!handover.changed.wait_for(lock, 10s, [&] { return !handover.finished.empty(); }))
                return;
            int32_t upgrade = handover.finished.back();
            handover.finished.pop_back();
            EXPECT_EQ(DevCloseUpgrade(upgrade), 1);
        }
    });
    std::thread starter([&] {
        for (int i = 0; i < kRounds; ++i) {
            int32_t upgrade = DevUpgrade(
                login, otherModel.Path(),
                [](int32_t, int32_t upgrade, int32_t total, int32_t, void* user) {
                    auto* h = static_cast<Handover*>(user);
                    std::lock_guard lock(h->mutex);
                    if (total != 0) return;
                    h->finals++;
                    h->finished.push_back(upgrade);
                    h->changed.notify_all();
                },
                &handover);
            EXPECT_EQ(DevUpgradeStart(upgrade), 1) << DevGetLastError();
            // The device runs one upgrade at a time: wait until this one is closed.
            for (int w = 0; w < 5000 && DevUpgradeStart(upgrade) == 0 && DevGetLastError() == 19;
                 ++w)
                std::this_thread::sleep_for(2ms);
        }
    });
    starter.join();
    closer.join();
    EXPECT_EQ(handover.finals, kRounds);
    DevLogout(login);
}

TEST_F(QuornUpgrade, WrongModelOrChecksumEndsFailed) {
    Start(R"({"devices": [{"address": "192.168.10.20"}, {"address": "192.168.10.21"},
                          {"address": "192.168.10.22"}]})");
    TempImage otherModel(500000, "V2", "QX-DVR-1600");
    TempImage corrupt(500000, "V2", "QX-NVR-0804", true);
    // The final callback learns the device's reason from DevGetLastError.
    const struct {
        const char* path;
        int32_t cause;
    } cases[] = {{otherModel.Path(), 24}, {corrupt.Path(), 25}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        int32_t login = LoginTo(i);
        Progress progress;
        int32_t upgrade = Begin(login, cases[i].path, progress);
        ASSERT_TRUE(progress.WaitFinal(10s)) << i;
        std::this_thread::sleep_for(50ms);
        std::lock_guard lock(progress.mutex);
        EXPECT_EQ(progress.finals, 1);
        EXPECT_EQ(progress.final, -2) << i;
        EXPECT_EQ(progress.finalError, cases[i].cause) << i;
        DevCloseUpgrade(upgrade);
        EXPECT_EQ(fleet_->Device(i).Snapshot().releaseVersion, "V4.02.R11.34531117.10001");
        EXPECT_TRUE(fleet_->Device(i).Snapshot().online);
        DevLogout(login);
    }
}

TEST_F(QuornUpgrade, DisconnectMidTransferGivesFailedExactlyOnce) {
    Start(R"({"devices": [{"address": "192.168.10.30", "dropUpgradeAt": 1000000}]})");
    TempImage image(4 * 1024 * 1024, "V3");
    int32_t login = LoginTo(0);
    Progress progress;
    int32_t upgrade = Begin(login, image.Path(), progress);
    ASSERT_TRUE(progress.WaitFinal(15s));
    std::this_thread::sleep_for(300ms);
    {
        std::lock_guard lock(progress.mutex);
        EXPECT_EQ(progress.finals, 1);
        EXPECT_EQ(progress.final, -2);
        EXPECT_EQ(progress.finalError, 14);
        for (auto [total, current] : progress.events) {
            if (total > 0) {
                EXPECT_LT(current, total);
            }
        }
    }
    // The login died with its connection.
    uint8_t block[128];
    int32_t returned = 0;
    EXPECT_EQ(DevGetConfig(login, 49, -1, block, 128, &returned, 500, 0, 0), 0);
    EXPECT_EQ(DevGetLastError(), 14);
    EXPECT_EQ(DevCloseUpgrade(upgrade), 1);
    EXPECT_EQ(DevLogout(login), 1);
}

TEST_F(QuornUpgrade, StalledDeviceIsGivenUpWithinTheSilenceLimit) {
    Start(R"({"devices": [{"address": "192.168.10.40", "stallUpgradeAt": 300000}]})");
    TempImage image(2 * 1024 * 1024, "V3");
    int32_t login = LoginTo(0);
    Progress progress;
    auto start = std::chrono::steady_clock::now();
    int32_t upgrade = Begin(login, image.Path(), progress);
    ASSERT_TRUE(progress.WaitFinal(30s));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(seconds, 16.0);
    {
        std::lock_guard lock(progress.mutex);
        EXPECT_EQ(progress.finals, 1);
        EXPECT_EQ(progress.final, -2);
    }
    DevCloseUpgrade(upgrade);
    DevLogout(login);
}

// The upgrade thread sits in a send that the device never takes: neither the upgrade's bound
// nor a caller closing it (as a closing window does, then logging out) waits for that send. The
// device closed is silent as well, so that nothing but the close ends its send.
TEST_F(QuornUpgrade, DeviceThatStopsReadingHoldsNeitherTheBoundNorTheClose) {
    Start(R"({"defaults": {"upgradeWindow": 8388608},
              "devices": [{"address": "192.168.10.45", "stopReadingAt": 0},
                          {"address": "192.168.10.46", "stallUpgradeAt": 0}]})");
    TempImage image(16 * 1024 * 1024, "V3");
    auto seconds = [](auto since) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    };
    int32_t kept = LoginTo(0), closed = LoginTo(1);
    Progress keptProgress, closedProgress;
    auto start = std::chrono::steady_clock::now();
    int32_t keptUpgrade = Begin(kept, image.Path(), keptProgress);
    int32_t closedUpgrade = Begin(closed, image.Path(), closedProgress);
    std::this_thread::sleep_for(1s);
    auto closing = std::chrono::steady_clock::now();
    EXPECT_EQ(DevCloseUpgrade(closedUpgrade), 1);
    EXPECT_EQ(DevLogout(closed), 1);
    EXPECT_LT(seconds(closing), 3.0);
    ASSERT_TRUE(keptProgress.WaitFinal(30s));
    EXPECT_LT(seconds(start), 14.0);
    EXPECT_EQ(keptProgress.final, -2);
    EXPECT_EQ(keptProgress.finalError, 13);
    EXPECT_EQ(closedProgress.finals, 0);
    DevCloseUpgrade(keptUpgrade);
    DevLogout(kept);
}

// The acknowledgement rule holds for any window: the client never overruns it (the device
// fails an upgrade that does) and the device acknowledges before the client must wait.
TEST_F(QuornUpgrade, EveryWindowCarriesTheImage) {
    const struct {
        uint32_t window;
        int32_t started;  // DevUpgradeStart's result
    } cases[] = {{1000, 0}, {4096, 1}, {16 * 1024, 1}, {100 * 1000, 1}, {300 * 1024, 1}};
    std::string devices;
    for (size_t i = 0; i < std::size(cases); ++i) {
        devices += (i ? "," : "") + std::string(R"({"address": "192.168.10.)") +
                   std::to_string(70 + i) + R"(", "upgradeWindow": )" +
                   std::to_string(cases[i].window) + "}";
    }
    Start(R"({"defaults": {"writingMs": 100, "rebootOfflineMs": 300}, "devices": [)" + devices +
          "]}");
    TempImage image(700 * 1000, "V6");
    for (size_t i = 0; i < std::size(cases); ++i) {
        int32_t login = LoginTo(i);
        Progress progress;
        int32_t upgrade = DevUpgrade(login, image.Path(), Record, &progress);
        ASSERT_NE(upgrade, 0);
        EXPECT_EQ(DevUpgradeStart(upgrade), cases[i].started) << cases[i].window;
        if (cases[i].started) {
            ASSERT_TRUE(progress.WaitFinal(20s)) << cases[i].window;
            EXPECT_EQ(progress.final, -1) << cases[i].window;
        } else {
            EXPECT_EQ(DevGetLastError(), 15) << cases[i].window;
        }
        DevCloseUpgrade(upgrade);
        DevLogout(login);
    }
}

TEST_F(QuornUpgrade, OpeningAndStartingFailuresAreReported) {
    Start(R"({"devices": [{"address": "192.168.10.50"}]})");
    int32_t login = LoginTo(0);
    // Files refused before anything is sent: a file that is no image (its header damaged, or
    // naming another length) fails fast.
    TempFile empty({});
    TempFile notAnImage(std::vector<uint8_t>(4000, 0x55));
    TempImage image(8 * 1024 * 1024, "V4");
    std::vector<uint8_t> bytes(1000);
    {
        std::FILE* f = std::fopen(image.Path(), "rb");
        ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    TempFile truncated(bytes);
    bytes[20] ^= 1;
    bytes.resize(8 * 1024 * 1024 + 160);
    TempFile damagedHeader(bytes);
    const struct {
        const char* path;
        int32_t error;
    } unsent[] = {{"/nonexistent/fw.bin", 16}, {empty.Path(), 17},     {"/", 17},
                  {notAnImage.Path(), 25},     {truncated.Path(), 25}, {damagedHeader.Path(), 25}};
    for (const auto& u : unsent) {
        EXPECT_EQ(DevUpgrade(login, u.path, Record, nullptr), 0) << u.path;
        EXPECT_EQ(DevGetLastError(), u.error) << u.path;
    }
    // Large enough that the first transfer still runs when the second one asks.
    Progress first, second;
    int32_t a = Begin(login, image.Path(), first);
    EXPECT_EQ(DevUpgradeStart(a), 0);  // started already
    EXPECT_EQ(DevGetLastError(), 19);
    // One image at a time per device.
    int32_t b = DevUpgrade(login, image.Path(), Record, &second);
    ASSERT_NE(b, 0);
    EXPECT_EQ(DevUpgradeStart(b), 0);
    EXPECT_EQ(DevGetLastError(), 26);
    EXPECT_EQ(DevCloseUpgrade(b), 1);
    ASSERT_TRUE(first.WaitFinal(15s));
    EXPECT_EQ(first.final, -1);
    EXPECT_EQ(second.finals, 0);
    EXPECT_EQ(DevCloseUpgrade(a), 1);
    EXPECT_EQ(DevCloseUpgrade(a), 0);
    EXPECT_EQ(DevGetLastError(), 11);
    DevLogout(login);
}

TEST_F(QuornUpgrade, FiftyRecordersAtOnce) {
    Start(R"({"generate": {"count": 50, "baseAddress": "192.168.11.10"},
              "defaults": {"writingMs": 200, "rebootOfflineMs": 500}})");
    TempImage image(2 * 1024 * 1024, "V5.0");
    std::vector<int32_t> logins(50), upgrades(50);
    std::vector<Progress> progress(50);
    for (size_t i = 0; i < 50; ++i) logins[i] = LoginTo(i);
    for (size_t i = 0; i < 50; ++i) upgrades[i] = Begin(logins[i], image.Path(), progress[i]);
    for (size_t i = 0; i < 50; ++i) {
        ASSERT_TRUE(progress[i].WaitFinal(60s)) << i;
        EXPECT_EQ(progress[i].final, -1) << i;
    }
    std::this_thread::sleep_for(100ms);
    for (size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(progress[i].finals, 1) << i;
        DevCloseUpgrade(upgrades[i]);
        DevLogout(logins[i]);
        EXPECT_EQ(fleet_->Device(i).Snapshot().releaseVersion, "V5.0");
    }
}

TEST_F(QuornUpgrade, LastErrorBelongsToTheCallingThread) {
    Start(R"({"devices": [{"address": "192.168.10.60"}]})");
    int32_t login = LoginTo(0);
    std::atomic<int> mismatches{0};
    auto worker = [&](int kind) {
        uint8_t buffer[772];
        int32_t returned;
        for (int i = 0; i < 200; ++i) {
            int32_t expected = 0;
            switch (kind) {
                case 0:
                    DevLogout(0x7FFFFFF0);
                    expected = 11;
                    break;
                case 1:
                    DevUpgrade(login, "/nonexistent/fw.bin", Record, nullptr);
                    expected = 16;
                    break;
                case 2:
                    DevGetConfig(login, 99, -1, buffer, 772, &returned, 2000, 0, 0);
                    expected = 20;
                    break;
                default:
                    DevSetConfig(login, 81, -1, buffer, 10, 2000);
                    expected = 21;
                    break;
            }
            std::this_thread::yield();
            if (DevGetLastError() != expected) mismatches++;
        }
    };
    std::vector<std::thread> threads;
    for (int k = 0; k < 8; ++k) threads.emplace_back(worker, k % 4);
    for (auto& t : threads) t.join();
    EXPECT_EQ(mismatches.load(), 0);
    DevLogout(login);
}

}  // namespace
}  // namespace tesmara::lan
