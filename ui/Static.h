// Static text and picture controls.
#pragma once

#include "ui/Window.h"

namespace tesmara::ui {

class Static : public Window {
  public:
    using Window::Window;
    // Shows `bitmap` (the control must have the SS_BITMAP type); returns the previous image.
    HBITMAP SetBitmap(HBITMAP bitmap) const {
        return reinterpret_cast<HBITMAP>(
            Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    void SetFont(HFONT font, bool redraw) const {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
};

}  // namespace tesmara::ui
