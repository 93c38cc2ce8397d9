#include "ui/Placement.h"

#include <algorithm>

namespace tesmara::ui {

void CentreOnMouseMonitor(HWND hwnd) {
    POINT mouse{};
    GetCursorPos(&mouse);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    RECT window{};
    if (!GetWindowRect(hwnd, &window)) return;
    const RECT& area = monitor.rcWork;
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // A window taller or wider than the work area keeps its caption on screen.
    x = std::max(x, static_cast<int>(area.left));
    y = std::max(y, static_cast<int>(area.top));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tesmara::ui
