// The main window at the prefix's DPI: ctest runs these once more in a prefix at 144 DPI
// (gui_high_dpi), where TESMARA_EXPECT_DPI says which DPI the window must report and
// TESMARA_SCREENSHOT where to save a picture of it.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "MainWindowFixture.h"
#include "ui/Dpi.h"
#include "view/DeviceTable.h"

namespace tesmara::gui {
namespace {

class HighDpiTest : public MainWindowTest {};

// The text's extent in the control's own font; `wrap` lets it break into lines `width` wide.
SIZE TextExtent(HWND control, int width, bool wrap) {
    std::wstring text = WindowText(control);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {rect.right, rect.bottom};
}

// The room a button kind leaves for its text.
int TextRoom(HWND control, int clientWidth) {
    LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
               type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    if (box) return clientWidth - GetSystemMetrics(SM_CXMENUCHECK) - GetSystemMetrics(SM_CXEDGE);
    return clientWidth - 2 * GetSystemMetrics(SM_CXEDGE);
}

void SaveScreenshot(HWND hwnd, const char* path) {
    RECT frame;
    GetWindowRect(hwnd, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    DWORD size = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + 40 + size), 0, 0,
                          static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + 40)};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), 40);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(HighDpiTest, ColumnWidthsFollowTheWindowDpi) {
    int dpi = ui::WindowDpi(hwnd);
    if (const char* expected = std::getenv("TESMARA_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's LogPixels";
    }
    HWND table = Control(IDC_DEVICE_TABLE);
    for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(SendMessageW(table, LVM_GETCOLUMNWIDTH, i, 0),
                  ui::ScaleToDpi(kDeviceColumns[i].width, dpi));
    }
}

TEST_F(HighDpiTest, EveryShownControlFitsTheWindowAndShowsItsWholeText) {
    RECT client;
    GetClientRect(hwnd, &client);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame;
    GetWindowRect(hwnd, &frame);
    EXPECT_LE(frame.right - frame.left, work.right - work.left);
    EXPECT_LE(frame.bottom - frame.top, work.bottom - work.top);

    for (HWND control = GetWindow(hwnd, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        if (!IsWindowVisible(control)) continue;
        SCOPED_TRACE(GetDlgCtrlID(control));
        RECT r = ChildRect(control);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);

        std::wstring kind = ClassName(control);
        if (WindowText(control).empty() || (kind != L"Static" && kind != L"Button")) continue;
        LONG style = GetWindowLongW(control, GWL_STYLE);
        LONG staticType = style & SS_TYPEMASK;
        bool wrappingStatic = kind == L"Static" && staticType <= SS_RIGHT;
        bool lineStatic =
            kind == L"Static" && (staticType == SS_SIMPLE || staticType == SS_LEFTNOWORDWRAP);
        if (kind == L"Static" && !wrappingStatic && !lineStatic) continue;  // pictures, frames
        if (kind == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX) continue;  // frames
        RECT inside;
        GetClientRect(control, &inside);
        bool wrap = wrappingStatic || (kind == L"Button" && (style & BS_MULTILINE));
        int room = kind == L"Static" ? inside.right : TextRoom(control, inside.right);
        SIZE text = TextExtent(control, room, wrap);
        EXPECT_LE(text.cx, room) << WindowText(control);
        EXPECT_LE(text.cy, inside.bottom) << "too tall";
    }

    if (const char* path = std::getenv("TESMARA_SCREENSHOT")) {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        SaveScreenshot(hwnd, path);
    }
}

TEST_F(HighDpiTest, OpensCentredOnTheMonitorOfTheMouse) {
    POINT mouse{};
    GetCursorPos(&mouse);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor));
    RECT frame;
    GetWindowRect(hwnd, &frame);
    const RECT& work = monitor.rcWork;
    EXPECT_NEAR(frame.left - work.left, work.right - frame.right, 1);
    EXPECT_NEAR(frame.top - work.top, work.bottom - frame.bottom, 1);
}

TEST_F(HighDpiTest, CaptionShowsTheIconsOwnSmallImage) {
    auto small = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(small, &icon));
    BITMAP colour{};
    GetObjectW(icon.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(colour.bmHeight, GetSystemMetrics(SM_CYSMICON));
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
}

TEST_F(HighDpiTest, MovingToAMonitorOfAnotherDpiRescalesTheColumns) {
    RECT frame;
    GetWindowRect(hwnd, &frame);
    constexpr int kNewDpi = 192;
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(kNewDpi, kNewDpi),
                 reinterpret_cast<LPARAM>(&frame));
    HWND table = Control(IDC_DEVICE_TABLE);
    for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(SendMessageW(table, LVM_GETCOLUMNWIDTH, i, 0),
                  ui::ScaleToDpi(kDeviceColumns[i].width, kNewDpi));
    }
}

}  // namespace
}  // namespace tesmara::gui
