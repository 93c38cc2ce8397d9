// The "IP Search" command's refusals: while a worker runs, and an unusable start address of the
// assigning search.
#include <atomic>
#include <chrono>
#include <string>

#include "app/SearchStart.h"
#include "res/MainDlgRes.h"
#include "tests/unit/discovery_search_fixture.h"

namespace tesmara {
namespace {

std::atomic<bool> g_release{false};

int HeldWorker(MainDialogState*) {
    while (!g_release) std::this_thread::yield();
    return 0;
}

struct SearchCommand : SearchFixture, ::testing::WithParamInterface<bool> {
    SearchCommand() {
        view.log.push_back({L"earlier", StatusColour::kSuccess});
        dialog.m_devices.resize(2);
        view.texts[IDC_START_ADDRESS] = L"192.168.1.11";
    }
};

TEST_P(SearchCommand, AClickQueuedWhileAWorkerRunsChangesNothing) {
    view.checks[IDC_OWN_ADDRESS] = GetParam();
    g_release = false;
    view.SetWindowEnabled(false);  // as the command that started the run left it
    StartWorker(dialog, HeldWorker);
    RunIpSearchCommand(dialog);
    EXPECT_EQ(1, dialog.m_workers.Running());
    EXPECT_EQ(2u, dialog.m_devices.size());
    EXPECT_EQ(1u, view.log.size());
    g_release = true;
    dialog.m_workers.JoinAll();
    EXPECT_EQ(0, network.SocketsCreated());
}

INSTANTIATE_TEST_SUITE_P(OwnAddressOrAssigned, SearchCommand, ::testing::Bool());

TEST_F(SearchFixture, AClickOnceTheWindowIsEnabledAgainWaitsForTheEndingWorkerAndRuns) {
    view.SetWindowEnabled(false);
    StartWorker(dialog, [](MainDialogState* run) {
        run->m_view.SetWindowEnabled(true);  // the run is over, its thread not yet
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return 0;
    });
    while (!view.IsWindowEnabled()) std::this_thread::yield();
    view.checks[IDC_OWN_ADDRESS] = true;
    RunIpSearchCommand(dialog);
    dialog.m_workers.JoinAll();
    EXPECT_EQ((std::vector<std::wstring>{L"Searching...", L"Search completed!"}), view.LogTexts());
}

struct UnusableStart : SearchFixture, ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(UnusableStart, IsRefusedWithAWarningBeforeAnythingIsSent) {
    network.AddDevices(1);
    view.checks[IDC_OWN_ADDRESS] = false;
    view.texts[IDC_START_ADDRESS] = GetParam();
    dialog.m_devices.resize(1);
    RunIpSearchCommand(dialog);
    dialog.m_workers.JoinAll();
    ASSERT_EQ(1u, view.boxes.size());
    EXPECT_NE(std::wstring::npos, view.boxes[0].text.find(GetParam()));
    EXPECT_EQ(L"", view.boxes[0].caption);
    EXPECT_EQ(unsigned{kBoxOk | kBoxIconWarning}, view.boxes[0].style);
    EXPECT_EQ(0, network.SocketsCreated());
    EXPECT_EQ(1u, dialog.m_devices.size());
}

INSTANTIATE_TEST_SUITE_P(PublicOrNetworkAddress, UnusableStart,
                         ::testing::Values(L"8.8.8.8", L"192.168.1.0", L"172.32.0.5"));

}  // namespace
}  // namespace tesmara
