// "增加设备" on the real window: its click (the button itself stays hidden) opens template 129,
// whose OK reads the recorder and adds its row.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <cstring>

#include "devaccess/NetworkConfigBlock.h"
#include "dialogs/win32/AddDeviceDlgRes.h"

namespace tesmara::gui {
namespace {

// Controls by ID, or labels (ID 0) by text, with their rectangles in dialog units.
constexpr struct {
    int id;
    const wchar_t* text;
    int x, y, w, h;
} kLayout[] = {
    {IDC_ADD_ADDRESS, nullptr, 84, 6, 100, 15},
    {IDC_ADD_PORT, L"34567", 84, 32, 48, 15},
    {IDC_ADD_USER, L"admin", 84, 58, 48, 15},
    {IDC_ADD_PASSWORD, L"", 84, 84, 48, 15},
    {IDOK, L"确定", 49, 113, 50, 14},
    {IDCANCEL, L"取消", 115, 113, 50, 14},
    {0, L"IP 地址", 42, 9, 25, 8},
    {0, L"端口", 42, 35, 25, 8},
    {0, L"用户名", 42, 61, 25, 8},
    {0, L"密码", 42, 87, 25, 8},
};

HWND ChildByText(HWND dialog, const wchar_t* text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (WindowText(child) == text) return child;
    }
    return nullptr;
}

class AddDeviceTest : public MainWindowTest {
  protected:
    // Sent as the hidden button's click would be; returns once the dialog has closed.
    void ClickAddDevice() {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_DEVICE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(IDC_ADD_DEVICE)));
        Pump();
    }
};

TEST_F(AddDeviceTest, OpensWithItsLayoutDefaultsAndPortLimit) {
    std::vector<std::wstring> wrong;
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd, [&](HWND box, const SeenDialog&) {
        RECT client{}, size = DialogUnitsRect(box, 0, 0, 215, 134);
        GetClientRect(box, &client);
        if (client.right != size.right || client.bottom != size.bottom) wrong.push_back(L"size");
        for (const auto& c : kLayout) {
            HWND control = c.id ? GetDlgItem(box, c.id) : ChildByText(box, c.text);
            RECT got = control ? ChildRect(control) : RECT{};
            RECT want = DialogUnitsRect(box, c.x, c.y, c.w, c.h);
            if (std::memcmp(&got, &want, sizeof got) != 0 ||
                (c.text && WindowText(control) != c.text)) {
                wrong.push_back(c.text ? c.text : L"address");
            }
        }
        HWND port = GetDlgItem(box, IDC_ADD_PORT), address = GetDlgItem(box, IDC_ADD_ADDRESS);
        if (SendMessageW(port, EM_GETLIMITTEXT, 0, 0) != 5) wrong.push_back(L"limit");
        if (GetWindowLongW(GetDlgItem(box, IDC_ADD_PASSWORD), GWL_STYLE) & ES_PASSWORD) {
            wrong.push_back(L"password hidden");
        }
        if (ClassName(address) != WC_IPADDRESSW || !SendMessageW(address, IPM_ISBLANK, 0, 0)) {
            wrong.push_back(L"address control");
        }
        return IDCANCEL;
    });
    ClickAddDevice();
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].caption, L"增加设备");
    EXPECT_EQ(wrong, std::vector<std::wstring>{});
    EXPECT_EQ(Rows(), 0);
}

TEST_F(AddDeviceTest, OkAddsTheRecorderItRead) {
    NetworkConfigBlock block;
    std::memcpy(block.Bytes().data() + 120, "00:1a:2b:3c:4d:ef", 17);
    access.Script(testing::DevOp::GetConfig,
                  {.data = {block.Bytes().begin(), block.Bytes().end()}});
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd, [](HWND box, const SeenDialog&) {
        SendMessageW(GetDlgItem(box, IDC_ADD_ADDRESS), IPM_SETADDRESS, 0,
                     MAKEIPADDRESS(10, 1, 2, 3));
        return IDOK;
    });
    ClickAddDevice();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 1) + L" " + Cell(0, 2), L"00-1A-2B-3C-4D-EF 10.1.2.3");
    EXPECT_TRUE(ListView_GetCheckState(Table(), 0));
}

}  // namespace
}  // namespace tesmara::gui
