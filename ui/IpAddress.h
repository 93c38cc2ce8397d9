// The IP address control (SysIPAddress32): four fields, each with its own range.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/Window.h"

namespace tesmara::ui {

class IpAddress : public Window {
  public:
    using Window::Window;
    // True when all four fields are empty.
    bool IsBlank() const { return Send(IPM_ISBLANK) != 0; }
    void SetRange(int field, BYTE low, BYTE high) const {
        Send(IPM_SETRANGE, field, MAKEIPRANGE(low, high));
    }
};

}  // namespace tesmara::ui
