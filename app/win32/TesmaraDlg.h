// The main window: owns the controls, the modal dialogs and the dialog state, and
// is the MainView through which workers and commands reach the controls. Every MainView
// operation is a message sent to a control (or to this window), so any thread may call it;
// work for the window's thread (a batch run's progress) is posted, never sent.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>

#include "app/MainDialogState.h"
#include "app/StatusLogFile.h"
#include "app/win32/MulitLineListBox.h"
#include "app/win32/Win32Dialogs.h"
#include "platform/PostedWork.h"
#include "res/MainDlgRes.h"
#include "ui/Button.h"
#include "ui/IpAddress.h"
#include "ui/ListView.h"
#include "ui/Win32DialogView.h"
#include "view/MainView.h"

namespace tesmara {

// Sent to the main window to run a piece of work on its thread (lParam: std::function<void()>*).
// Only work that this process's own RunOnUiThread has queued is run: any program on the desktop
// can send this message, with any lParam.
constexpr UINT kRunOnUiMessage = WM_APP + 1;

// Posted to the main window when work lands in its empty queue of posted work; it then runs all
// of it. Anyone may post the message: it only makes the window look at its own queue.
constexpr UINT kPostedWorkMessage = WM_APP + 2;

class CTesmaraDlg final : public Win32DialogView<MainView> {
  public:
    CTesmaraDlg(SocketFactory& sockets, Clock& clock, DeviceAccess& access);
    ~CTesmaraDlg() override;

    MainDialogState& State() { return m_state; }
    HICON Icon() const { return m_icon; }

    // Runs `show` on the user-interface thread with this window as owner, unless the window is
    // closing (then `show` never runs). Modal dialogs and message boxes are shown through it.
    void RunOwnedModal(const std::function<void(HWND owner)>& show);

    // MainView (the controls by ID come from Win32DialogView).
    void AppendStatusLine(std::wstring_view text, StatusColour colour) override;
    void ClearStatusLog() override;
    int RowCount() override;
    bool IsChecked(int row) override;
    void SetChecked(int row, bool checked) override;
    DeviceRow* DeviceOfRow(int row) override;
    void InsertRow(int row, std::wstring_view numberText) override;
    std::wstring CellText(int row, int column) override;
    void SetCellText(int row, int column, std::wstring_view text) override;
    void SetItemData(int row, DeviceRow* device) override;
    void DeleteAllRows() override;
    void SetTableRedraw(bool on) override;
    int HighlightedRow() override;
    void HighlightRow(int row) override;
    void SetWindowEnabled(bool enabled) override;
    bool IsWindowEnabled() override;
    void ServeUntil(const std::function<bool()>& done) override;
    void Post(Work work) override;
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override;

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override {}  // Enter must not close the window: it has no OK button.
    void OnCancel() override;

  private:
    void InsertDeviceColumns();
    // True when the command was ours (the About entry).
    bool OnSysCommand(WPARAM command);
    bool PaintMinimised();
    // Runs `work` on the user-interface thread and waits for it; false when the window is gone.
    bool RunOnUiThread(const std::function<void()>& work);
    // Asks the workers to stop and keeps serving their sent messages until all have ended.
    void StopWorkers();

    void AddStatusEntry(std::wstring_view text, StatusColour colour);
    // Runs work of kRunOnUiMessage if it is pending; true when it ran.
    bool RunPendingWork(LPARAM lParam);
    void WakeForPostedWork();

    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;  // owned
    DWORD m_uiThread = 0;
    std::atomic<bool> m_closing{false};
    std::mutex m_pendingLock;
    std::set<const std::function<void()>*> m_pendingWork;  // sent, not yet run

    // Control members, bound in OnInit.
    ui::ListView m_table;
    CMulitLineListBox m_statusLog;
    ui::IpAddress m_startAddress;
    ui::Window m_loginUser;
    ui::Window m_loginPassword;
    ui::Button m_start;
    ui::Button m_ownAddress;

    Win32Dialogs m_dialogs{*this};
    StatusLogFile m_logFile;
    WorkQueue m_posted{[this] { WakeForPostedWork(); }};

    // Last, so that it goes first: its workers are joined while everything else still exists.
    MainDialogState m_state;
};

}  // namespace tesmara
