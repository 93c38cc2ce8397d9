// List boxes: entries are strings with one pointer-sized item value each.
#pragma once

#include <string>
#include <string_view>

#include "ui/Window.h"

namespace tesmara::ui {

class ListBox : public Window {
  public:
    using Window::Window;
    int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    // Index of the new entry, or LB_ERR / LB_ERRSPACE.
    int AddString(std::wstring_view text) const {
        std::wstring copy(text);
        return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str())));
    }
    void ResetContent() const { Send(LB_RESETCONTENT); }
    LPARAM ItemData(int index) const { return Send(LB_GETITEMDATA, index); }
    void SetItemData(int index, LPARAM value) const { Send(LB_SETITEMDATA, index, value); }
    std::wstring ItemText(int index) const {
        int length = static_cast<int>(Send(LB_GETTEXTLEN, index));
        if (length < 0) return {};
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        int got = static_cast<int>(Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0])));
        text.resize(got < 0 ? 0 : static_cast<size_t>(got));
        return text;
    }
};

}  // namespace tesmara::ui
