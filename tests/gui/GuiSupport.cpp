#include "GuiSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tesmara::gui {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

RECT ChildRect(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT DialogUnitsRect(HWND dialog, int x, int y, int w, int h) {
    // The dialog manager converts position and size separately, each rounded on its own.
    RECT position{x, y, w, h};
    MapDialogRect(dialog, &position);
    return RECT{position.left, position.top, position.left + position.right,
                position.top + position.bottom};
}

std::vector<HWND> AddressFields(HWND control) {
    std::vector<HWND> fields;
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        fields.push_back(child);
    }
    std::sort(fields.begin(), fields.end(),
              [](HWND a, HWND b) { return ChildRect(a).left < ChildRect(b).left; });
    return fields;
}

void TypeAddress(HWND control, const wchar_t* const numbers[4], HWND elsewhere) {
    std::vector<HWND> fields = AddressFields(control);
    ASSERT_EQ(fields.size(), 4u);
    for (int field = 0; field < 4; ++field) {
        SetFocus(fields[field]);
        for (const wchar_t* c = numbers[field]; *c; ++c) {
            SendMessageW(fields[field], WM_CHAR, *c, 0);
        }
    }
    SetFocus(elsewhere);
    Pump();
}

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

DialogAnswerer::DialogAnswerer(DWORD uiThread, HWND ignore, Decider decide)
    : m_uiThread(uiThread), m_ignore(ignore), m_decide(std::move(decide)) {
    m_thread = std::thread([this] { Watch(); });
}

DialogAnswerer::~DialogAnswerer() {
    m_stop = true;
    m_thread.join();
}

std::vector<SeenDialog> DialogAnswerer::Seen() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_seen;
}

void DialogAnswerer::Watch() {
    while (!m_stop) {
        std::vector<HWND> found;
        EnumThreadWindows(
            m_uiThread,
            [](HWND hwnd, LPARAM param) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        for (HWND hwnd : found) {
            if (hwnd == m_ignore || !IsWindowVisible(hwnd) || ClassName(hwnd) != L"#32770") {
                continue;
            }
            if (m_answered.count(hwnd)) continue;
            m_answered.insert(hwnd);
            SeenDialog seen;
            seen.caption = WindowText(hwnd);
            for (HWND child = GetWindow(hwnd, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                int id = GetDlgCtrlID(child);
                seen.texts[id] = WindowText(child);
                if (id == 0xFFFF) seen.messageText = seen.texts[id];
            }
            int command = m_decide ? m_decide(hwnd, seen) : IDOK;
            {
                std::lock_guard<std::mutex> hold(m_lock);
                m_seen.push_back(seen);
            }
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        }
        Sleep(20);
    }
}

}  // namespace tesmara::gui
