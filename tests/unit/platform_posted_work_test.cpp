// The queue of posted work: only its owner runs it, in posting order, and the owner sleeps until
// work or a notice comes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/PostedWork.h"

namespace tesmara {
namespace {

TEST(WorkQueue, TheOwnerRunsPostedWorkInOrderAndIsWokenOnlyOnAnEmptyQueue) {
    int wakes = 0;
    WorkQueue queue([&wakes] { ++wakes; });
    std::vector<int> ran;
    queue.Post([&] {
        ran.push_back(1);
        queue.Post([&] { ran.push_back(3); });  // posted while draining: run in the same drain
    });
    queue.Post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "posting never runs the work";
    EXPECT_EQ(1, wakes);
    EXPECT_EQ(3u, queue.Drain());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), ran);
    EXPECT_EQ(3u, queue.Served());
    EXPECT_EQ(0u, queue.Drain());
}

TEST(WorkQueue, ServeUntilRunsWorkFromOtherThreadsAndEndsOnANotice) {
    WorkQueue queue;
    std::atomic<bool> finished{false};
    int served = 0;  // the owner's alone
    std::thread library([&] {
        for (int i = 0; i < 100; ++i) queue.Post([&served] { ++served; });
        finished = true;
        queue.Notify();
    });
    queue.ServeUntil([&] { return finished.load(); });
    library.join();
    queue.Drain();
    EXPECT_EQ(100, served);
}

}  // namespace
}  // namespace tesmara
