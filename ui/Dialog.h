// Dialog base: a static dialog procedure stores `this` at WM_INITDIALOG and routes messages to
// small virtual hooks. Modal (RunModal) or modeless (Create). No exception ever leaves the
// dialog procedure.
#pragma once

#include <windows.h>

namespace tesmara::ui {

class Dialog {
  public:
    explicit Dialog(int templateId) : m_templateId(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the value given to End (or -1 when it could not start).
    INT_PTR RunModal(HWND parent);
    // Creates the dialog modeless; false when the template could not be created.
    bool Create(HWND parent);
    // Ends a modal dialog with `result`, or destroys a modeless one.
    void End(INT_PTR result);

    HWND Handle() const { return m_hwnd; }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

  protected:
    // Return true to let the system set the focus.
    virtual bool OnInit() { return true; }
    // Button clicks, edit changes and menu/accelerator commands. True when handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // WM_NOTIFY; set `result` and return true when handled.
    virtual bool OnNotify(int /*id*/, NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnTimer(UINT_PTR /*timerId*/) { return false; }
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Every other message; set `result` and return true when handled.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                           LRESULT& /*result*/) {
        return false;
    }
    // Called after the window is gone (WM_NCDESTROY).
    virtual void OnDestroyed() {}

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
};

// The module whose resources the dialogs use (the executable itself).
HINSTANCE ResourceModule();

}  // namespace tesmara::ui
