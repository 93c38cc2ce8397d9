// Worker threads: finished ones are joined when the next starts, a thread that cannot be made is
// counted back and reported, and a worker that throws leaves the window usable.
#include <stdexcept>
#include <system_error>
#include <thread>

#include "tests/unit/discovery_search_fixture.h"

namespace tesmara {
namespace {

std::thread NoThread(std::function<void()>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

int QuickWorker(MainDialogState*) {
    return 0;
}

int ThrowingWorker(MainDialogState*) {
    throw std::runtime_error("broken");
}

using Workers = SearchFixture;

TEST_F(Workers, FinishedWorkersAreJoinedWhenTheNextStarts) {
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(StartWorker(dialog, QuickWorker));
        while (dialog.m_workers.Running() > 0) std::this_thread::yield();
    }
    EXPECT_EQ(1u, dialog.m_workers.Unjoined()) << "only the last one, finished, not yet joined";
}

TEST_F(Workers, AThreadThatCannotStartIsCountedBackAndReported) {
    dialog.m_workers.SetThreadStarter(NoThread);
    view.SetWindowEnabled(false);
    EXPECT_FALSE(StartWorker(dialog, QuickWorker));
    EXPECT_EQ(0, dialog.m_workers.Running());
    ASSERT_EQ(1u, view.log.size());
    EXPECT_EQ(StatusColour::kFailure, view.log[0].colour);
    EXPECT_TRUE(view.windowEnabled.back());
}

TEST_F(Workers, AWorkerThatThrowsReEnablesTheWindowWithARedLine) {
    view.SetWindowEnabled(false);
    StartWorker(dialog, ThrowingWorker);
    dialog.m_workers.JoinAll();
    ASSERT_EQ(1u, view.log.size());
    EXPECT_EQ(StatusColour::kFailure, view.log[0].colour);
    EXPECT_TRUE(view.windowEnabled.back());
    EXPECT_EQ(0, dialog.m_workers.Running());
}

}  // namespace
}  // namespace tesmara
