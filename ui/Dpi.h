// The DPI a window is drawn at, and pixel sizes scaled to it. Dialog units follow the font by
// themselves; sizes given in pixels (column widths, fonts made in code) go through ScaleToDpi.
#pragma once

#include <windows.h>

namespace tesmara::ui {

inline constexpr int kBaseDpi = 96;

// GetDpiForWindow where the system has it (Windows 10 1607 and later), else the screen's
// LOGPIXELSY, which is the system DPI.
int WindowDpi(HWND hwnd);

// `pixels` at 96 DPI, scaled to `dpi` (rounded).
inline int ScaleToDpi(int pixels, int dpi) {
    return MulDiv(pixels, dpi, kBaseDpi);
}

}  // namespace tesmara::ui
