// The selected-device panel on the real window: filled on highlight, enabled by a click on a
// row's check box, the port edits rewritten as typed, and the password dialog.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <thread>

#include "netcfg/win32/PasswordDlgRes.h"
#include "view/DeviceTable.h"

namespace tesmara::gui {
namespace {

class DevicePanelTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            DeviceRow row;
            row.shown = 1;
            row.macText = "00-1A-2B-3C-4D-0" + std::to_string(i);
            row.ipText = "192.168.1.2" + std::to_string(i);
            row.maskText = "255.255.255.0";
            row.gatewayText = "192.168.1.1";
            row.httpPort = 8080;
            row.tcpPort = static_cast<uint16_t>(i == 1 ? 0 : 34567);
            State().m_devices.push_back(row);
        }
        FillDeviceTable(State().m_view, State().m_devices);
        Pump();
    }
    void Highlight(int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(Table(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        Pump();
    }
    int Highlighted() const {
        return static_cast<int>(SendMessageW(Table(), LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    }
    // A real mouse click: the cursor is put on the point first, as the click handler asks where
    // the cursor was.
    void ClickAt(POINT client) {
        POINT screen = client;
        ClientToScreen(Table(), &screen);
        SetCursorPos(screen.x, screen.y);
        LPARAM at = MAKELPARAM(client.x, client.y);
        PostMessageW(Table(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(Table(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    // A point of the row whose hit test gives exactly these flags.
    POINT PointWithFlags(int row, UINT flags) const {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(Table(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        for (LONG x = bounds.left; x < bounds.right; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = {x, (bounds.top + bounds.bottom) / 2};
            SendMessageW(Table(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.iItem == row && hit.flags == flags) return hit.pt;
        }
        ADD_FAILURE() << "no point with flags " << flags;
        return {};
    }
};

TEST_F(DevicePanelTest, HighlightFillsThePanel) {
    Highlight(1);
    EXPECT_EQ(Text(IDC_PANEL_ADDRESS), L"192.168.1.21");
    EXPECT_EQ(Text(IDC_PANEL_MASK), L"255.255.255.0");
    EXPECT_EQ(Text(IDC_PANEL_GATEWAY), L"192.168.1.1");
    EXPECT_EQ(Text(IDC_HTTP_PORT), L"8080");
    EXPECT_EQ(Text(IDC_TCP_PORT), L"1");  // the record's port 0 is shown as the rule makes it
    EXPECT_TRUE(Enabled(IDC_MODIFY_ADDRESS));
    EXPECT_TRUE(Enabled(IDC_MODIFY_PORTS));
    EXPECT_FALSE(Enabled(IDC_MODIFY_PASSWORD));
}

TEST_F(DevicePanelTest, CheckBoxClickHighlightsEnablesAllThreeAndClearsAll) {
    Click(Control(IDC_ALL));
    ASSERT_TRUE(Checked(IDC_ALL));
    ClickAt(PointWithFlags(2, LVHT_ONITEMSTATEICON));
    EXPECT_EQ(Highlighted(), 2);
    EXPECT_FALSE(Checked(IDC_ALL));
    for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
}

TEST_F(DevicePanelTest, PortEditsAreRewrittenAsTyped) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* shown;
    };
    for (const Case& c : {Case{L"080", L"80"}, Case{L"0", L"1"}, Case{L"70000", L"65535"},
                          Case{L"8081", L"8081"}}) {
        SetWindowTextW(Control(IDC_HTTP_PORT), c.typed);
        EXPECT_EQ(Text(IDC_HTTP_PORT), c.shown) << c.typed;
        DWORD start = 0, end = 0;
        SendMessageW(Control(IDC_HTTP_PORT), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        if (std::wstring(c.typed) != c.shown) {
            EXPECT_EQ(start, wcslen(c.shown)) << c.typed;
        }
    }
}

TEST_F(DevicePanelTest, PasswordDialogReportsAFailedLoginAndStaysOpen) {
    Highlight(0);
    access.Script(testing::DevOp::Login, {.result = 0});
    std::wstring deviceShown, userShown, message;
    bool deviceEnabled = true, openDuringBox = false, openAfterBox = false;
    std::thread closer;
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd, [&](HWND box, const SeenDialog& seen) {
        if (!seen.messageText.empty()) {
            message = seen.messageText;
            HWND owner = GetWindow(box, GW_OWNER);
            openDuringBox = IsWindowVisible(owner);
            closer = std::thread([&, owner] {
                Sleep(300);
                openAfterBox = IsWindowVisible(owner);
                PostMessageW(owner, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            });
            return IDOK;
        }
        deviceShown = WindowText(GetDlgItem(box, IDC_PASSWORD_DEVICE));
        deviceEnabled = IsWindowEnabled(GetDlgItem(box, IDC_PASSWORD_DEVICE));
        SendMessageW(GetDlgItem(box, IDC_PASSWORD_USER), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(L"admin  "));
        userShown = WindowText(GetDlgItem(box, IDC_PASSWORD_USER));
        for (int id : {IDC_PASSWORD_OLD, IDC_PASSWORD_NEW, IDC_PASSWORD_CONFIRM}) {
            SendMessageW(GetDlgItem(box, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"pw"));
        }
        return IDOK;
    });
    Click(Control(IDC_MODIFY_PASSWORD));
    if (closer.joinable()) closer.join();

    std::vector<SeenDialog> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"Modify Password");
    EXPECT_EQ(deviceShown, L"192.168.1.20");
    EXPECT_FALSE(deviceEnabled);
    EXPECT_EQ(userShown, L"admin");
    EXPECT_EQ(message, L"User name or password is error!");
    EXPECT_TRUE(openDuringBox);
    EXPECT_TRUE(openAfterBox);
    auto logins = access.Calls(testing::DevOp::Login);
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].user, "admin");
    EXPECT_EQ(logins[0].port, 34567);
}

}  // namespace
}  // namespace tesmara::gui
