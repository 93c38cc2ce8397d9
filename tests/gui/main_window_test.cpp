// The main window as it opens: template, initial control states, columns, field ranges, About.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <thread>

#include "app/win32/MainCommands.h"
#include "view/DeviceTable.h"

namespace tesmara::gui {
namespace {

struct ExpectedControl {
    int id;
    const wchar_t* caption;  // nullptr: not checked (edits, lists, address controls)
    int x, y, w, h;
};

// The template's controls with their captions and dialog-unit rectangles.
const ExpectedControl kControls[] = {
    {IDC_DEVICE_TABLE, nullptr, 7, 40, 321, 203},
    {IDC_IP_SEARCH, L"IP Search", 7, 18, 40, 17},
    {IDC_ALL, L"All", 7, 255, 27, 10},
    {IDC_FIRMWARE_PATH, L"", 51, 291, 107, 14},
    {IDC_FIRMWARE_BROWSE, L"Browse", 161, 291, 50, 14},
    {IDC_CONFIG_PATH, L"", 51, 311, 107, 14},
    {IDC_CONFIG_BROWSE, L"Browse", 161, 311, 50, 14},
    {IDC_START, L"Start", 216, 280, 57, 47},
    {IDC_START_ADDRESS_LABEL, L"分配给设备的起始IP地址:", 7, 24, 83, 8},
    {IDC_START_ADDRESS, nullptr, 91, 22, 100, 15},
    {IDC_LOGIN_USER, L"admin", 72, 254, 63, 14},
    {IDC_LOGIN_PASSWORD, L"", 185, 254, 63, 14},
    {IDC_STATUS_LOG, nullptr, 350, 226, 222, 110},
    {IDC_TOTAL_COUNT, L"0", 313, 285, 35, 8},
    {IDC_SUCCESS_COUNT, L"0", 313, 300, 35, 8},
    {IDC_FAIL_COUNT, L"0", 313, 313, 35, 8},
    {IDC_OWN_ADDRESS, L"使用设备自带的IP地址", 7, 7, 84, 10},
    {IDC_MODE_UPGRADE, L"Upgrade", 7, 293, 42, 10},
    {IDC_MODE_CONFIGURE, L"Configure", 7, 312, 42, 10},
    {IDC_MODIFY_CONFIG, L"修改配置", 282, 21, 40, 17},
    {IDC_ADD_DEVICE, L"增加设备", 237, 21, 40, 17},
    {IDC_MODE_SYNC_TIME, L"同步时间", 7, 274, 43, 10},
    {IDC_PANEL_ADDRESS, nullptr, 402, 57, 141, 15},
    {IDC_PANEL_MASK, nullptr, 402, 85, 141, 15},
    {IDC_PANEL_GATEWAY, nullptr, 402, 110, 141, 15},
    {IDC_MODIFY_ADDRESS, L"Modify", 511, 133, 32, 14},
    {IDC_HTTP_PORT, L"", 402, 167, 58, 14},
    {IDC_TCP_PORT, L"", 402, 187, 58, 14},
    {IDC_MODIFY_PORTS, L"Modify", 511, 186, 32, 14},
    {IDC_MODIFY_PASSWORD, L"Modify Password", 266, 254, 62, 15},
};

TEST_F(MainWindowTest, TemplatePlacesEveryControlWithItsCaption) {
    EXPECT_EQ(WindowText(hwnd), L"Varnholt");
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "fixed size";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT size = DialogUnitsRect(hwnd, 0, 0, 579, 341);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    for (const ExpectedControl& c : kControls) {
        SCOPED_TRACE(c.id);
        HWND control = Control(c.id);
        ASSERT_NE(control, nullptr);
        RECT want = DialogUnitsRect(hwnd, c.x, c.y, c.w, c.h);
        RECT got = ChildRect(control);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
        if (c.caption) {
            EXPECT_EQ(WindowText(control), c.caption);
        }
    }
}

TEST_F(MainWindowTest, ControlKindsAndStylesMatchTheirRoles) {
    EXPECT_EQ(ClassName(Control(IDC_DEVICE_TABLE)), WC_LISTVIEWW);
    LONG table = GetWindowLongW(Control(IDC_DEVICE_TABLE), GWL_STYLE);
    EXPECT_EQ(table & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(table & LVS_SINGLESEL);
    EXPECT_TRUE(table & LVS_SHOWSELALWAYS);

    LONG log = GetWindowLongW(Control(IDC_STATUS_LOG), GWL_STYLE);
    EXPECT_TRUE(log & LBS_OWNERDRAWVARIABLE);
    EXPECT_TRUE(log & LBS_HASSTRINGS);
    EXPECT_TRUE(log & LBS_NOTIFY);
    EXPECT_TRUE(log & LBS_NOINTEGRALHEIGHT);
    EXPECT_FALSE(log & LBS_SORT);

    for (int id : {IDC_START_ADDRESS, IDC_PANEL_ADDRESS, IDC_PANEL_MASK, IDC_PANEL_GATEWAY}) {
        EXPECT_EQ(ClassName(Control(id)), WC_IPADDRESSW) << id;
    }
    for (int id : {IDC_FIRMWARE_PATH, IDC_CONFIG_PATH}) {
        EXPECT_TRUE(GetWindowLongW(Control(id), GWL_STYLE) & ES_READONLY) << id;
    }
    for (int id : {IDC_LOGIN_USER, IDC_LOGIN_PASSWORD}) {
        LONG edit = GetWindowLongW(Control(id), GWL_STYLE);
        EXPECT_FALSE(edit & ES_READONLY) << id;
        EXPECT_FALSE(edit & ES_PASSWORD) << "the password is shown in clear";
    }
    for (int id : {IDC_HTTP_PORT, IDC_TCP_PORT}) {
        EXPECT_TRUE(GetWindowLongW(Control(id), GWL_STYLE) & ES_NUMBER) << id;
    }
    for (int id :
         {IDC_ALL, IDC_OWN_ADDRESS, IDC_MODE_UPGRADE, IDC_MODE_CONFIGURE, IDC_MODE_SYNC_TIME}) {
        EXPECT_EQ(GetWindowLongW(Control(id), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX) << id;
    }
    EXPECT_EQ(GetWindowLongW(Control(IDC_START), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

TEST_F(MainWindowTest, StartsWithOnlySearchAndEntriesUsable) {
    for (int id :
         {IDC_START, IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD, IDC_FIRMWARE_BROWSE,
          IDC_CONFIG_BROWSE, IDC_START_ADDRESS, IDC_START_ADDRESS_LABEL}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    for (int id : {IDC_IP_SEARCH, IDC_ALL, IDC_MODE_UPGRADE, IDC_MODE_CONFIGURE, IDC_LOGIN_USER,
                   IDC_LOGIN_PASSWORD, IDC_DEVICE_TABLE, IDC_STATUS_LOG, IDC_PANEL_ADDRESS,
                   IDC_PANEL_MASK, IDC_PANEL_GATEWAY, IDC_HTTP_PORT, IDC_TCP_PORT}) {
        EXPECT_TRUE(Enabled(id)) << id;
        EXPECT_TRUE(Visible(id)) << id;
    }
    for (int id : {IDC_OWN_ADDRESS, IDC_START_ADDRESS_LABEL, IDC_START_ADDRESS, IDC_ADD_DEVICE,
                   IDC_MODIFY_CONFIG, IDC_MODE_SYNC_TIME}) {
        EXPECT_FALSE(Visible(id)) << id;
    }
    EXPECT_TRUE(Checked(IDC_OWN_ADDRESS)) << "devices keep their own addresses";
    EXPECT_FALSE(Checked(IDC_ALL));
    EXPECT_FALSE(Checked(IDC_MODE_UPGRADE));
    EXPECT_FALSE(Checked(IDC_MODE_CONFIGURE));

    EXPECT_EQ(Text(IDC_START_ADDRESS), L"192.168.1.11");
    EXPECT_EQ(Text(IDC_LOGIN_USER), L"admin");
    EXPECT_EQ(Text(IDC_LOGIN_PASSWORD), L"");
    EXPECT_EQ(Text(IDC_FIRMWARE_PATH), L"");
    EXPECT_EQ(Text(IDC_CONFIG_PATH), L"");
    EXPECT_EQ(Text(IDC_TOTAL_COUNT), L"0");
    EXPECT_EQ(Text(IDC_SUCCESS_COUNT), L"0");
    EXPECT_EQ(Text(IDC_FAIL_COUNT), L"0");
    EXPECT_EQ(SendMessageW(Control(IDC_STATUS_LOG), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(Control(IDC_DEVICE_TABLE), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(MainWindowTest, StartsTheLibraryOnceWithTheDialogAsUserData) {
    std::vector<testing::DevCall> inits = access.Calls(testing::DevOp::Init);
    ASSERT_EQ(inits.size(), 1u);
    EXPECT_EQ(inits[0].onDisconnect, nullptr);
    EXPECT_EQ(inits[0].userData, static_cast<void*>(dialog.get()));
}

TEST_F(MainWindowTest, WorkFromAnotherThreadIsPostedNotSent) {
    bool ran = false;
    // Joined without serving a message: a sent message would never return.
    std::thread library([&] { dialog->Post([&ran] { ran = true; }); });
    library.join();
    MSG posted{};
    ASSERT_TRUE(PeekMessageW(&posted, hwnd, kPostedWorkMessage, kPostedWorkMessage, PM_REMOVE));
    EXPECT_FALSE(ran) << "runs on the window's thread only";
    DispatchMessageW(&posted);
    EXPECT_TRUE(ran);
    EXPECT_EQ(posted.message, kPostedWorkMessage);
}

TEST_F(MainWindowTest, DeviceTableHasTheTenCentredColumns) {
    HWND table = Control(IDC_DEVICE_TABLE);
    for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
        SCOPED_TRACE(i);
        wchar_t header[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = header;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(table, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(header, kDeviceColumns[i].header);
        EXPECT_EQ(column.cx, kDeviceColumns[i].width);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
        // What is drawn: the header item (Wine reports the asked-for format above regardless).
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ASSERT_TRUE(SendMessageW(ListView_GetHeader(table), HDM_GETITEMW, i,
                                 reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, HDF_CENTER);
    }
    LVCOLUMNW extra{};
    extra.mask = LVCF_WIDTH;
    EXPECT_FALSE(SendMessageW(table, LVM_GETCOLUMNW, 10, reinterpret_cast<LPARAM>(&extra)));

    const wchar_t* expected[] = {
        L"NO.",         L"MAC Address",        L"IP Address",      L"Upgrade Status",
        L"Cloud ID",    L"Device Description", L"Release Version", L"Release Time",
        L"Device Time", L"Device Start Time"};
    const int widths[] = {50, 120, 120, 100, 100, 120, 200, 150, 120, 150};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_STREQ(kDeviceColumns[i].header, expected[i]);
        EXPECT_EQ(kDeviceColumns[i].width, widths[i]);
    }

    DWORD extended = static_cast<DWORD>(SendMessageW(table, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(extended & 0x25u, 0x25u) << "grid lines, check boxes, full-row selection";
}

// Types `digits` into field `field` of an address control and leaves the field, as an operator
// would; returns the field's value as the control then reports it.
int TypeIntoField(HWND control, int field, const wchar_t* digits, HWND elsewhere) {
    std::vector<HWND> fields = AddressFields(control);
    if (fields.size() != 4) return -1;
    SetFocus(fields[field]);
    for (const wchar_t* c = digits; *c; ++c) SendMessageW(fields[field], WM_CHAR, *c, 0);
    SetFocus(elsewhere);
    Pump();
    DWORD address = 0;
    SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return static_cast<int>((address >> (8 * (3 - field))) & 0xFF);
}

TEST_F(MainWindowTest, EmptyingThePanelAddressByKeyboardDisablesModify) {
    HWND address = Control(IDC_PANEL_ADDRESS);
    SendMessageW(address, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 20));
    EnableWindow(Control(IDC_MODIFY_ADDRESS), TRUE);
    std::vector<HWND> fields = AddressFields(address);
    ASSERT_EQ(fields.size(), 4u);
    for (HWND field : fields) {
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        SendMessageW(field, WM_CHAR, VK_BACK, 0);
        Pump();
    }
    ASSERT_TRUE(SendMessageW(address, IPM_ISBLANK, 0, 0));
    EXPECT_FALSE(Enabled(IDC_MODIFY_ADDRESS));
}

TEST_F(MainWindowTest, PanelAddressAndGatewayFieldsStopAt254AndMaskAt255) {
    HWND elsewhere = Control(IDC_LOGIN_USER);
    for (int id : {IDC_PANEL_ADDRESS, IDC_PANEL_GATEWAY}) {
        for (int field = 0; field < 4; ++field) {
            SCOPED_TRACE(::testing::Message() << id << " field " << field);
            SendMessageW(Control(id), IPM_CLEARADDRESS, 0, 0);
            EXPECT_EQ(TypeIntoField(Control(id), field, L"255", elsewhere), 254);
            SendMessageW(Control(id), IPM_CLEARADDRESS, 0, 0);
            EXPECT_EQ(TypeIntoField(Control(id), field, L"254", elsewhere), 254);
            SendMessageW(Control(id), IPM_CLEARADDRESS, 0, 0);
            EXPECT_EQ(TypeIntoField(Control(id), field, L"0", elsewhere), 0);
        }
    }
    for (int field = 0; field < 4; ++field) {
        SCOPED_TRACE(field);
        SendMessageW(Control(IDC_PANEL_MASK), IPM_CLEARADDRESS, 0, 0);
        EXPECT_EQ(TypeIntoField(Control(IDC_PANEL_MASK), field, L"255", elsewhere), 255);
    }
}

TEST_F(MainWindowTest, SystemMenuOffersAboutWhichShowsTheAboutBox) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(menu, nullptr);
    int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    wchar_t text[64] = {};
    GetMenuStringW(menu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"关于 Tesmara(&A)...");
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, count - 2, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

    DialogAnswerer answerer(GetCurrentThreadId(), hwnd);
    // The low four bits of a system command are the system's own; the entry ignores them.
    SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
    std::vector<SeenDialog> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"关于 Tesmara");
    EXPECT_EQ(seen[0].texts[IDOK], L"确定");
    bool versionShown = false;
    for (const auto& [id, text] : seen[0].texts) versionShown |= text == L"Tesmara，1.0 版";
    EXPECT_TRUE(versionShown);
    EXPECT_TRUE(IsWindow(hwnd)) << "the main window stays open";
}

TEST_F(MainWindowTest, DragIconIsTheApplicationIcon) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_QUERYDRAGICON, 0, 0));
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(icon, dialog->Icon());
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0)), icon);
}

TEST_F(MainWindowTest, EnterDoesNotCloseTheWindow) {
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));
}

}  // namespace
}  // namespace tesmara::gui
