// Non-owning handle of one window or control with one-line helpers over its messages.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tesmara::ui {

class Window {
  public:
    Window() = default;
    explicit Window(HWND hwnd) : m_hwnd(hwnd) {}

    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    void Attach(HWND dialog, int id) { m_hwnd = GetDlgItem(dialog, id); }
    HWND Handle() const { return m_hwnd; }
    explicit operator bool() const { return m_hwnd != nullptr; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(m_hwnd, message, wParam, lParam);
    }

    void Enable(bool enabled) const { EnableWindow(m_hwnd, enabled ? TRUE : FALSE); }
    void Show(bool shown) const { ShowWindow(m_hwnd, shown ? SW_SHOW : SW_HIDE); }

    void SetText(std::wstring_view text) const {
        std::wstring copy(text);
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    }
    std::wstring Text() const {
        int length = static_cast<int>(Send(WM_GETTEXTLENGTH));
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        int got = static_cast<int>(
            Send(WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(&text[0])));
        text.resize(got < 0 ? 0 : static_cast<size_t>(got));
        return text;
    }

  protected:
    HWND m_hwnd = nullptr;
};

}  // namespace tesmara::ui
