// Single-line edit controls.
#pragma once

#include "ui/Window.h"

namespace tesmara::ui {

class Edit : public Window {
  public:
    using Window::Window;
    bool IsReadOnly() const { return (GetWindowLongW(m_hwnd, GWL_STYLE) & ES_READONLY) != 0; }
    void SetLimitText(int characters) const { Send(EM_SETLIMITTEXT, characters); }
};

}  // namespace tesmara::ui
