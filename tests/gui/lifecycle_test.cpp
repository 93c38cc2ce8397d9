// Closing the window while workers run, and the start-up path without sockets.
#include <thread>

#include "MainWindowFixture.h"
#include "app/win32/TesmaraApp.h"

namespace tesmara::gui {
namespace {

int ChattyWorker(MainDialogState* dialog) {
    // Keeps the user-interface thread busy with sent messages until told to stop.
    while (!dialog->m_workers.StopRequested()) {
        dialog->m_view.AppendStatusLine(L"working...", StatusColour::kProgress);
        dialog->m_view.SetWindowEnabled(false);
    }
    dialog->m_view.AppendStatusLine(L"stopping", StatusColour::kProgress);
    dialog->m_view.SetWindowEnabled(true);
    return 0;
}

std::atomic<int> g_boxAnswer{-1};
std::atomic<unsigned> g_boxStyle{kBoxOkCancel};

int AskingWorker(MainDialogState* dialog) {
    while (!dialog->m_workers.StopRequested()) dialog->m_clock.SleepMs(1);
    // Asks after the window started closing: nobody may be asked any more.
    g_boxAnswer = dialog->m_view.ShowMessage(L"late", L"", g_boxStyle | kBoxIconWarning);
    return 0;
}

std::atomic<HWND> g_allBox{nullptr};
std::atomic<LRESULT> g_allAfterClose{-1};

int OperatorDuringCloseWorker(MainDialogState* dialog) {
    while (!dialog->m_workers.StopRequested()) dialog->m_clock.SleepMs(1);
    // The operator presses Space on "All" while the window is closing.
    PostMessageW(g_allBox, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(g_allBox, WM_KEYUP, VK_SPACE, 0xC0000001);
    Sleep(200);
    g_allAfterClose = SendMessageW(g_allBox, BM_GETCHECK, 0, 0);
    return 0;
}

TEST_F(MainWindowTest, ClosingWhileWorkersSendMessagesEndsCleanly) {
    StartWorker(State(), ChattyWorker);
    StartWorker(State(), ChattyWorker);
    PumpUntil([&] { return SendMessageW(Control(IDC_STATUS_LOG), LB_GETCOUNT, 0, 0) > 20; });

    SendMessageW(hwnd, WM_CLOSE, 0, 0);

    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_EQ(State().m_workers.Running(), 0);
}

struct Declined {
    unsigned style;
    int answer;
};

class DeclinedWhileClosing : public MainWindowTest,
                             public ::testing::WithParamInterface<Declined> {};

TEST_P(DeclinedWhileClosing, AWorkerAskingIsAnsweredWithoutABox) {
    g_boxAnswer = -1;
    g_boxStyle = GetParam().style;
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd);
    StartWorker(State(), AskingWorker);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_EQ(g_boxAnswer.load(), GetParam().answer);
    EXPECT_TRUE(answerer.Seen().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryButtonSet, DeclinedWhileClosing,
                         ::testing::Values(Declined{kBoxOk, kBoxResultOk},
                                           Declined{kBoxOkCancel, kBoxResultCancel},
                                           Declined{kBoxYesNo, kBoxResultNo}));

TEST_F(MainWindowTest, OperatorInputWhileTheWindowClosesIsIgnored) {
    g_allBox = Control(IDC_ALL);
    g_allAfterClose = -1;
    StartWorker(State(), OperatorDuringCloseWorker);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_EQ(g_allAfterClose.load(), BST_UNCHECKED);
}

TEST_F(MainWindowTest, MessageBoxFromAWorkerRunsOwnedByTheWindow) {
    std::vector<HWND> owners;
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd, [&](HWND box, const SeenDialog&) {
        owners.push_back(GetWindow(box, GW_OWNER));
        return IDCANCEL;
    });
    std::atomic<int> answer{-1};
    std::thread worker([&] {
        answer = dialog->ShowMessage(L"Please select device!", L"", kBoxOkCancel | kBoxIconWarning);
    });
    ASSERT_TRUE(PumpUntil([&] { return answer.load() != -1; }));
    worker.join();
    EXPECT_EQ(answer.load(), kBoxResultCancel);
    std::vector<SeenDialog> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].messageText, L"Please select device!");
    EXPECT_EQ(seen[0].caption, L"");
    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners[0], hwnd);
}

bool SocketsFail() {
    return false;
}

TEST(ApplicationTest, WithoutSocketsShowsOnlyTheSocketMessageAndEnds) {
    DialogAnswerer answerer(GetCurrentThreadId(), nullptr);
    CTesmaraApp app(SocketsFail);
    EXPECT_FALSE(app.InitInstance());
    std::vector<SeenDialog> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u) << "no main window after the message";
    EXPECT_EQ(seen[0].messageText, L"Windows 套接字初始化失败。");
    EXPECT_EQ(seen[0].texts.count(IDCANCEL), 0u) << "only an OK button";
    EXPECT_EQ(app.RegistryKey(), nullptr);
}

}  // namespace
}  // namespace tesmara::gui
