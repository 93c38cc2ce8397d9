#include "app/win32/TesmaraDlg.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/win32/AboutDlg.h"
#include "app/win32/MainCommands.h"
#include "app/win32/StatusLogFolder.h"
#include "devaccess/DeviceAccess.h"
#include "ui/Dpi.h"
#include "ui/Placement.h"
#include "view/DeviceTable.h"

namespace tesmara {

namespace {

// Keyboard and mouse input: not served while the window closes, so that the operator cannot start
// anything on a window that is going away.
bool IsOperatorInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

constexpr DWORD kTableExtendedStyles = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
constexpr int kAddressFields = 4;
constexpr BYTE kPanelFieldHigh = 254;

}  // namespace

CTesmaraDlg::CTesmaraDlg(SocketFactory& sockets, Clock& clock, DeviceAccess& access)
    : Win32DialogView<MainView>(IDD_TESMARA_DIALOG),
      m_logFile(StatusLogFolder(), SystemFileAppender()),
      m_state(*this, m_dialogs, sockets, clock, access) {
    m_icon = LoadIconW(ui::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    // The caption and the taskbar take the icon's own small image, not the large one shrunk.
    m_smallIcon = static_cast<HICON>(
        LoadImageW(ui::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

CTesmaraDlg::~CTesmaraDlg() {
    StopWorkers();
    if (m_state.m_run) m_state.m_run->Stop();
    if (m_smallIcon) DestroyIcon(m_smallIcon);
}

bool CTesmaraDlg::OnInit() {
    HWND hwnd = Handle();
    m_uiThread = GetCurrentThreadId();

    m_table.Attach(hwnd, IDC_DEVICE_TABLE);
    m_statusLog.Attach(hwnd, IDC_STATUS_LOG);
    m_startAddress.Attach(hwnd, IDC_START_ADDRESS);
    m_loginUser.Attach(hwnd, IDC_LOGIN_USER);
    m_loginPassword.Attach(hwnd, IDC_LOGIN_PASSWORD);
    m_start.Attach(hwnd, IDC_START);
    m_ownAddress.Attach(hwnd, IDC_OWN_ADDRESS);

    // About entry in the system menu, only when its text exists.
    if (HMENU menu = GetSystemMenu(hwnd, FALSE)) {
        wchar_t about[128] = {};
        if (LoadStringW(ui::ResourceModule(), IDS_ABOUTBOX, about, 128) > 0 && about[0]) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }

    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(m_smallIcon ? m_smallIcon : m_icon));

    InsertDeviceColumns();
    m_table.SetExtendedStyle(m_table.ExtendedStyle() | kTableExtendedStyles);

    m_startAddress.SetText(L"192.168.1.11");
    m_loginUser.SetText(L"admin");
    m_loginPassword.SetText(L"");

    m_state.m_access.DevInit(nullptr, this);

    m_start.Enable(false);
    ui::Window(Item(IDC_MODIFY_ADDRESS)).Enable(false);
    ui::Window(Item(IDC_MODIFY_PORTS)).Enable(false);
    ui::Window(Item(IDC_MODIFY_PASSWORD)).Enable(false);

    m_ownAddress.SetChecked(true);
    ui::Window(Item(IDC_START_ADDRESS_LABEL)).Enable(false);
    m_startAddress.Enable(false);

    for (int id : {IDC_OWN_ADDRESS, IDC_START_ADDRESS_LABEL, IDC_START_ADDRESS, IDC_ADD_DEVICE,
                   IDC_MODIFY_CONFIG, IDC_MODE_SYNC_TIME}) {
        ui::Window(Item(id)).Show(false);
    }

    ui::IpAddress panelAddress(Item(IDC_PANEL_ADDRESS));
    ui::IpAddress panelGateway(Item(IDC_PANEL_GATEWAY));
    for (int field = 0; field < kAddressFields; ++field) {
        panelAddress.SetRange(field, 0, kPanelFieldHigh);
        panelGateway.SetRange(field, 0, kPanelFieldHigh);
    }
    ui::CentreOnMouseMonitor(hwnd);
    return true;
}

void CTesmaraDlg::InsertDeviceColumns() {
    // A list view keeps its first column left-aligned whatever it is asked: the ten columns go in
    // behind a placeholder, which is then removed so that the first of them keeps its centring.
    // The widths are pixels at 96 DPI; the window's font, and so its layout, follows its DPI.
    int dpi = ui::WindowDpi(Handle());
    m_table.InsertColumn(0, L"", LVCFMT_LEFT, 0);
    for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
        m_table.InsertColumn(static_cast<int>(i) + 1, kDeviceColumns[i].header, LVCFMT_CENTER,
                             ui::ScaleToDpi(kDeviceColumns[i].width, dpi));
    }
    m_table.DeleteColumn(0);
}

bool CTesmaraDlg::OnCommand(int id, int code, HWND control) {
    return RunMainBinding(m_state, WM_COMMAND, MAKEWPARAM(id, code),
                          reinterpret_cast<LPARAM>(control));
}

bool CTesmaraDlg::OnNotify(int /*id*/, NMHDR* header, LRESULT& result) {
    result = 0;
    return RunMainBinding(m_state, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

bool CTesmaraDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case kRunOnUiMessage:
            result = RunPendingWork(lParam) ? 1 : 0;
            return true;
        case kPostedWorkMessage:
            m_posted.Drain();
            result = 0;
            return true;
        case WM_SYSCOMMAND:
            result = 0;
            return OnSysCommand(wParam);
        case WM_PAINT:
            return PaintMinimised();
        case WM_DPICHANGED:
            // Moved to a monitor of another DPI: the system rescales the dialog, the columns are
            // ours. The default handling still runs.
            for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
                m_table.SetColumnWidth(static_cast<int>(i),
                                       ui::ScaleToDpi(kDeviceColumns[i].width, HIWORD(wParam)));
            }
            return false;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(m_icon);
            return true;
        case WM_DRAWITEM:
            if (wParam == IDC_STATUS_LOG) {
                m_statusLog.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                result = TRUE;
                return true;
            }
            return false;
        case WM_MEASUREITEM:
            if (wParam == IDC_STATUS_LOG) {
                m_statusLog.MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
                result = TRUE;
                return true;
            }
            return false;
        case WM_COMPAREITEM:
            if (wParam == IDC_STATUS_LOG) {
                result =
                    m_statusLog.CompareItem(*reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam));
                return true;
            }
            return false;
        default:
            result = 0;
            return RunMainBinding(m_state, message, wParam, lParam);
    }
}

bool CTesmaraDlg::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg about;
    about.RunModal(Handle());
    return true;
}

bool CTesmaraDlg::PaintMinimised() {
    HWND hwnd = Handle();
    if (!IsIconic(hwnd)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(hwnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_icon);
    EndPaint(hwnd, &paint);
    return true;
}

void CTesmaraDlg::OnCancel() {
    if (m_closing.exchange(true)) return;  // already closing, e.g. a second click on the close box
    StopWorkers();
    // After this the library calls back no more: nothing posts to a window that is going away.
    if (m_state.m_run) m_state.m_run->Stop();
    End(IDCANCEL);
}

void CTesmaraDlg::StopWorkers() {
    RequestStopAll(m_state);
    // A worker may be waiting in a message sent to this thread: keep serving those until every
    // worker has returned, and only then join.
    if (Handle() && GetCurrentThreadId() == m_uiThread) {
        while (RunningThreads(m_state) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    break;
                }
                if (IsOperatorInput(msg.message)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    m_state.m_workers.JoinAll();
    if (m_state.m_run) m_state.m_run->JoinAll();
}

}  // namespace tesmara
