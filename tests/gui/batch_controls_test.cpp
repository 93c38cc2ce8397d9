// The batch controls of the main window: mode boxes, "Browse" through the system's file dialog,
// the refusals and counters of "Start", and the dialog manager's messages that share the numbers
// of the progress messages.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include "app/win32/MainCommands.h"
#include "platform/Text.h"
#include "tests/support/BatchFixture.h"
#include "view/DeviceTable.h"

namespace tesmara::gui {
namespace {

class BatchControlsTest : public MainWindowTest {
  protected:
    void AddTickedDevice() {
        DeviceRow& device = State().m_devices.emplace_back();
        device.shown = 1;
        device.ipText = "10.0.0.1";
        int row = AppendDeviceRow(*dialog, &device);
        dialog->SetChecked(row, true);
    }
    // Clicks "Start" and returns the texts of the message boxes it showed.
    std::vector<std::wstring> Start() {
        DialogAnswerer answerer(GetCurrentThreadId(), hwnd);
        Click(Control(IDC_START));
        Pump();
        std::vector<std::wstring> texts;
        for (const SeenDialog& seen : answerer.Seen()) texts.push_back(seen.messageText);
        return texts;
    }
};

TEST_F(BatchControlsTest, ModeBoxesEnableBrowseAndStart) {
    Click(Control(IDC_MODE_UPGRADE));
    EXPECT_TRUE(Enabled(IDC_FIRMWARE_BROWSE));
    EXPECT_FALSE(Enabled(IDC_CONFIG_BROWSE));
    EXPECT_TRUE(Enabled(IDC_START));
    Click(Control(IDC_MODE_CONFIGURE));
    EXPECT_TRUE(Enabled(IDC_CONFIG_BROWSE));
    Click(Control(IDC_MODE_UPGRADE));
    Click(Control(IDC_MODE_CONFIGURE));
    EXPECT_FALSE(Enabled(IDC_FIRMWARE_BROWSE));
    EXPECT_FALSE(Enabled(IDC_START));
}

TEST_F(BatchControlsTest, StartRefusesWithoutDevicesOrFile) {
    Click(Control(IDC_MODE_UPGRADE));
    EXPECT_EQ(std::vector<std::wstring>{L"Please select devices!"}, Start());
    AddTickedDevice();
    SetWindowTextW(Control(IDC_FIRMWARE_PATH), L"C:\\typed.upf");  // shown, never stored
    EXPECT_EQ(std::vector<std::wstring>{L"Please select file!"}, Start());
}

TEST_F(BatchControlsTest, AChosenFileStaysInEffectWhenItsBoxIsTickedAgain) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"batch-gui.upf";
    testing::WriteImageFile(WideToAnsi(path));
    AddTickedDevice();
    Click(Control(IDC_MODE_UPGRADE));
    {
        DialogAnswerer answerer(GetCurrentThreadId(), hwnd, [&](HWND open, const SeenDialog&) {
            SendMessageW(GetDlgItem(open, 1148), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(path.c_str()));
            return IDOK;
        });
        Click(Control(IDC_FIRMWARE_BROWSE));
        ASSERT_EQ(1u, answerer.Seen().size());
    }
    EXPECT_EQ(path, Text(IDC_FIRMWARE_PATH));
    Click(Control(IDC_MODE_UPGRADE));
    Click(Control(IDC_MODE_UPGRADE));
    for (int id : {IDC_TOTAL_COUNT, IDC_SUCCESS_COUNT, IDC_FAIL_COUNT}) {
        SetWindowTextW(Control(id), L"7");
    }

    EXPECT_TRUE(Start().empty());
    EXPECT_EQ(L"1", Text(IDC_TOTAL_COUNT));
    EXPECT_EQ(L"0", Text(IDC_SUCCESS_COUNT));
    EXPECT_EQ(L"0", Text(IDC_FAIL_COUNT));
    DeleteFileW(path.c_str());
}

TEST_F(BatchControlsTest, ClosingTheWindowDuringARunClosesItsTransfers) {
    AddTickedDevice();
    State().m_firmwarePath = testing::WriteImageFile("batch-gui.upf");
    Click(Control(IDC_MODE_UPGRADE));
    EXPECT_TRUE(Start().empty());
    ASSERT_TRUE(PumpUntil([&] { return State().m_workers.Running() == 0; }));
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(1, access.CountOf(testing::DevOp::CloseUpgrade));
    EXPECT_EQ(1, access.CountOf(testing::DevOp::Logout));
}

TEST_F(BatchControlsTest, DialogManagerMessagesOfTheSameNumbersAreNotProgress) {
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd);
    SendMessageW(hwnd, DM_SETDEFID, IDC_IP_SEARCH, 0);
    Pump();
    EXPECT_EQ(IDC_IP_SEARCH, LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)));

    SendMessageW(hwnd, DM_SETDEFID, IDC_START, 0);
    SendMessageW(hwnd, DM_REPOSITION, 0, 0);
    Pump();
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_EQ(IDC_START, LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)));
}

}  // namespace
}  // namespace tesmara::gui
