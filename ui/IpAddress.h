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
    void ClearAddress() const { Send(IPM_CLEARADDRESS); }
    // Host-order value, first number in the top byte.
    void SetAddress(DWORD address) const { Send(IPM_SETADDRESS, 0, address); }
    // Number of non-blank fields; `address` gets the value with blank fields as 0.
    int GetAddress(DWORD& address) const {
        return static_cast<int>(Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)));
    }
    void SetRange(int field, BYTE low, BYTE high) const {
        Send(IPM_SETRANGE, field, MAKEIPRANGE(low, high));
    }
    void SetFieldFocus(int field) const { Send(IPM_SETFOCUS, field); }
};

}  // namespace tesmara::ui
