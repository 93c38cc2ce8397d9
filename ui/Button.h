// Push buttons, check boxes and radio buttons.
#pragma once

#include "ui/Window.h"

namespace tesmara::ui {

class Button : public Window {
  public:
    using Window::Window;
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetChecked(bool checked) const {
        Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    }
};

}  // namespace tesmara::ui
