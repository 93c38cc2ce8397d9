// Where a top-level window opens.
#pragma once

#include <windows.h>

namespace tesmara::ui {

// Centres `hwnd` in the work area (the screen less the taskbar) of the monitor under the mouse,
// kept inside that work area when the window is larger.
void CentreOnMouseMonitor(HWND hwnd);

}  // namespace tesmara::ui
