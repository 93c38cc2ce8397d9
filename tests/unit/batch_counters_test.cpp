// The counters of a batch run: every count lands, and exactly one count ends the run.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "batch/BatchCounters.h"

namespace tesmara {
namespace {

TEST(BatchCounters, OnlyTheCountThatReachesTheTotalEndsTheRun) {
    struct Case {
        int32_t total;
        std::vector<bool> outcomes;  // true = success
        std::vector<bool> ends;
    };
    const Case cases[] = {
        {1, {true}, {true}},
        {2, {false, true}, {false, true}},
        {2, {true, true, false}, {false, true, false}},  // a late count never ends it again
        {3, {false, false}, {false, false}},
    };
    for (const Case& c : cases) {
        BatchCounters counters;
        counters.Start(c.total);
        std::vector<bool> ends;
        for (bool success : c.outcomes) {
            ends.push_back(success ? counters.CountSuccess() : counters.CountFailure());
        }
        EXPECT_EQ(c.ends, ends) << "total " << c.total;
    }
}

TEST(BatchCounters, CountsFromManyThreadsAllLandAndEndTheRunOnce) {
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    BatchCounters counters;
    counters.Start(kThreads * kEach);
    std::atomic<int> endings{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                bool ended = t % 2 ? counters.CountFailure() : counters.CountSuccess();
                if (ended) ++endings;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    BatchTally tally = counters.Tally();
    EXPECT_EQ(1, endings.load());
    EXPECT_EQ(kThreads * kEach / 2, tally.success);
    EXPECT_EQ(kThreads * kEach / 2, tally.fail);
}

}  // namespace
}  // namespace tesmara
