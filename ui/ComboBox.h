// Drop-down lists (ComboBox): items added at the end with a number of their own, selection by
// position.
#pragma once

#include <string>
#include <string_view>

#include "ui/Window.h"

namespace tesmara::ui {

class ComboBox : public Window {
  public:
    using Window::Window;
    // The new item's position, or CB_ERR.
    int AddString(std::wstring_view text) const {
        std::wstring copy(text);
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str())));
    }
    void SetItemData(int position, LPARAM data) const { Send(CB_SETITEMDATA, position, data); }
    LPARAM GetItemData(int position) const { return Send(CB_GETITEMDATA, position); }
    void SetCurSel(int position) const { Send(CB_SETCURSEL, position); }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
};

}  // namespace tesmara::ui
