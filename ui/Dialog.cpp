#include "ui/Dialog.h"

namespace tesmara::ui {

HINSTANCE ResourceModule() {
    return GetModuleHandleW(nullptr);
}

Dialog::~Dialog() {
    if (m_hwnd) {
        // A modeless dialog outlived by its window: detach so the procedure cannot reach us.
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        if (!m_modal) DestroyWindow(m_hwnd);
    }
}

INT_PTR Dialog::RunModal(HWND parent) {
    m_modal = true;
    return DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND parent) {
    m_modal = false;
    HWND hwnd = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), parent,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void Dialog::End(INT_PTR result) {
    if (!m_hwnd) return;
    if (m_modal) {
        EndDialog(m_hwnd, result);
    } else {
        DestroyWindow(m_hwnd);
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hwnd = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code.
        return FALSE;
    }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
        case WM_INITDIALOG:
            return OnInit() ? TRUE : FALSE;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            int code = HIWORD(wParam);
            if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
            if (id == IDOK && code == BN_CLICKED) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL && code == BN_CLICKED) {
                OnCancel();
                return TRUE;
            }
            return FALSE;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (OnNotify(static_cast<int>(header->idFrom), header, result)) {
                SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
                return TRUE;
            }
            return FALSE;
        }
        case WM_TIMER:
            return OnTimer(wParam) ? TRUE : FALSE;
        case WM_NCDESTROY: {
            HWND gone = m_hwnd;
            m_hwnd = nullptr;
            SetWindowLongPtrW(gone, DWLP_USER, 0);
            OnDestroyed();
            return FALSE;
        }
        default:
            break;
    }
    if (OnMessage(message, wParam, lParam, result)) {
        // Messages whose result is the procedure's own return value rather than DWLP_MSGRESULT.
        switch (message) {
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC:
            case WM_COMPAREITEM:
            case WM_VKEYTOITEM:
            case WM_CHARTOITEM:
            case WM_QUERYDRAGICON:
            case WM_INITDIALOG:
                return static_cast<INT_PTR>(result);
            default:
                SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
                return TRUE;
        }
    }
    return FALSE;
}

}  // namespace tesmara::ui
