// "IP Search" in the real window, on in-memory networks: nothing is ever sent off this machine.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/FakeClock.h"
#include "tests/support/InMemoryNetwork.h"
#include "view/DeviceTable.h"

namespace tesmara::gui {
namespace {

class SearchTest : public MainWindowTest {
  protected:
    bool Completed() const { return Lines() > 0 && Line(Lines() - 1) == L"Search completed!"; }

    // Clicks "IP Search" and serves the worker until it reports completion; tells whether the
    // window was disabled meanwhile (seen as the WM_ENABLE the window receives).
    bool SearchAndWait() {
        g_window = hwnd;
        g_disabled = false;
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchEnable, nullptr, GetCurrentThreadId());
        Click(Control(IDC_IP_SEARCH));
        EXPECT_EQ(Rows(), 0) << "rows go before the worker starts";
        EXPECT_EQ(Lines(), 0) << "the log is emptied before the worker starts";
        EXPECT_TRUE(PumpUntil([&] { return Completed() && State().m_workers.Running() == 0; }));
        UnhookWindowsHookEx(hook);
        return g_disabled;
    }

  private:
    static LRESULT CALLBACK WatchEnable(int code, WPARAM wParam, LPARAM lParam) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->hwnd == g_window && message->message == WM_ENABLE &&
            !message->wParam) {
            g_disabled = true;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline HWND g_window = nullptr;
    static inline bool g_disabled = false;
};

TEST_F(SearchTest, NothingFoundEmptiesTableAndLogAndCompletesInGreen) {
    DeviceRow& old = State().m_devices.emplace_back();
    old.shown = 1;
    old.macText = "00-1A-2B-3C-4D-5E";
    AppendDeviceRow(*dialog, &old);
    dialog->AppendStatusLine(L"old line", StatusColour::kFailure);

    EXPECT_TRUE(SearchAndWait()) << "the window is disabled while the search runs";

    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_EQ(Rows(), 0);
    ASSERT_EQ(Lines(), 2);
    EXPECT_EQ(Line(0), L"Searching...");
    EXPECT_EQ(Colour(0), 0xFFFFFF);
    EXPECT_EQ(Line(1), L"Search completed!");
    EXPECT_EQ(Colour(1), 0x00FF00);
    EXPECT_TRUE(State().m_devices.empty());
    EXPECT_EQ(network.SocketsCreated(), 2);
    EXPECT_GT(network.Sent().size(), 0u) << "sent into the empty in-memory network";
}

// Today's file, found as the technician is told to: %LOCALAPPDATA%\Tesmara\logs.
std::wstring TodaysLogFile() {
    wchar_t base[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[64] = {};
    swprintf(name, 64, L"\\Tesmara\\logs\\tesmara-%04u-%02u-%02u.log", unsigned{now.wYear},
             unsigned{now.wMonth}, unsigned{now.wDay});
    return std::wstring(base) + name;
}

std::string FileText(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST_F(SearchTest, EveryLineShownIsAppendedToTodaysLogFileWithItsColour) {
    const std::wstring path = TodaysLogFile();
    const size_t before = FileText(path).size();
    SearchAndWait();
    const std::string added = FileText(path).substr(before);
    EXPECT_NE(added.find("[white] Searching...\r\n"), std::string::npos) << added;
    EXPECT_NE(added.find("[green] Search completed!\r\n"), std::string::npos) << added;
}

class SearchWithDevicesTest : public SearchTest {
  protected:
    void SetUp() override {
        lanClock.SetReadStep(1);
        lan.AddDevices(3);
        Open(lan, lanClock);
    }
    testing::FakeClock lanClock{1000};
    testing::InMemoryNetwork lan{lanClock};
};

TEST_F(SearchWithDevicesTest, FoundDevicesAreListedNumberedUncheckedWithoutStatus) {
    SendMessageW(Control(IDC_ALL), BM_SETCHECK, BST_CHECKED, 0);
    SearchAndWait();

    ASSERT_EQ(Rows(), 3);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Cell(row, 0), std::to_wstring(row + 1));
        DeviceRow* device = dialog->DeviceOfRow(row);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(Cell(row, 1), std::wstring(device->macText.begin(), device->macText.end()));
        EXPECT_EQ(Cell(row, 3), L"-- --");
        UINT state = static_cast<UINT>(
            SendMessageW(Control(IDC_DEVICE_TABLE), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        EXPECT_EQ(state >> 12, 1u) << "unchecked";
    }
    EXPECT_EQ(Cell(0, 1), L"00-1A-2B-00-00-00");
    EXPECT_EQ(Cell(2, 1), L"00-1A-2B-00-00-02");
    EXPECT_FALSE(Checked(IDC_ALL));
    EXPECT_FALSE(Enabled(IDC_MODIFY_ADDRESS));
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_EQ(lan.OpenSockets(), 0) << "the search closes its sockets";
}

}  // namespace
}  // namespace tesmara::gui
