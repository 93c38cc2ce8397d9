// CTesmaraDlg as the MainView: the log and the table. Each operation is a message sent to a
// control, executed by the user-interface thread while a calling worker waits; work for the
// window's thread is posted. Dialogs and message boxes are run on the user-interface thread
// itself.
#include <optional>
#include <string>

#include "app/win32/TesmaraDlg.h"

namespace tesmara {
namespace {

// What a box answers when the window is closing and nobody may be asked any more.
int DeclinedResult(unsigned style) {
    switch (style & 0xF) {
        case kBoxOk:
            return kBoxResultOk;  // the only answer such a box has
        case kBoxYesNo:
            return kBoxResultNo;
        default:
            return kBoxResultCancel;
    }
}

}  // namespace

bool CTesmaraDlg::RunOnUiThread(const std::function<void()>& work) {
    if (GetCurrentThreadId() == m_uiThread) {
        work();
        return true;
    }
    HWND hwnd = Handle();
    if (!hwnd) return false;
    {
        std::lock_guard<std::mutex> hold(m_pendingLock);
        m_pendingWork.insert(&work);
    }
    SendMessageW(hwnd, kRunOnUiMessage, 0, reinterpret_cast<LPARAM>(&work));
    // Ran when no longer pending: the window took it off (whichever send reached it first).
    std::lock_guard<std::mutex> hold(m_pendingLock);
    return m_pendingWork.erase(&work) == 0;
}

bool CTesmaraDlg::RunPendingWork(LPARAM lParam) {
    const auto* work = reinterpret_cast<const std::function<void()>*>(lParam);
    {
        std::lock_guard<std::mutex> hold(m_pendingLock);
        if (m_pendingWork.erase(work) == 0) return false;
    }
    (*work)();
    return true;
}

void CTesmaraDlg::AddStatusEntry(std::wstring_view text, StatusColour colour) {
    int index = m_statusLog.AddString(text);
    if (index >= 0) m_statusLog.SetItemData(index, static_cast<LPARAM>(colour));
}

void CTesmaraDlg::AppendStatusLine(std::wstring_view text, StatusColour colour) {
    AddStatusEntry(text, colour);
    // The file is written after the entry is shown and outside any lock the window's thread
    // could be waiting for; the line about a file that failed goes to the screen only.
    if (std::optional<std::wstring> failure = m_logFile.Record(text, colour)) {
        AddStatusEntry(*failure, StatusColour::kFailure);
    }
}

void CTesmaraDlg::ClearStatusLog() {
    m_statusLog.ResetContent();
}

int CTesmaraDlg::RowCount() {
    return m_table.ItemCount();
}

bool CTesmaraDlg::IsChecked(int row) {
    return m_table.GetCheckState(row);
}

void CTesmaraDlg::SetChecked(int row, bool checked) {
    m_table.SetCheckState(row, checked);
}

DeviceRow* CTesmaraDlg::DeviceOfRow(int row) {
    return reinterpret_cast<DeviceRow*>(m_table.ItemData(row));
}

void CTesmaraDlg::InsertRow(int row, std::wstring_view numberText) {
    m_table.InsertItem(row, numberText);
}

std::wstring CTesmaraDlg::CellText(int row, int column) {
    return m_table.ItemText(row, column);
}

void CTesmaraDlg::SetCellText(int row, int column, std::wstring_view text) {
    m_table.SetItemText(row, column, text);
}

void CTesmaraDlg::SetItemData(int row, DeviceRow* device) {
    m_table.SetItemData(row, reinterpret_cast<LPARAM>(device));
}

void CTesmaraDlg::DeleteAllRows() {
    m_table.DeleteAllItems();
}

void CTesmaraDlg::SetTableRedraw(bool on) {
    m_table.SetRedraw(on);
}

int CTesmaraDlg::HighlightedRow() {
    return m_table.SelectedIndex();
}

void CTesmaraDlg::HighlightRow(int row) {
    m_table.SetSelected(row);
}

void CTesmaraDlg::SetWindowEnabled(bool enabled) {
    if (HWND hwnd = Handle()) ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

bool CTesmaraDlg::IsWindowEnabled() {
    HWND hwnd = Handle();
    return hwnd && ::IsWindowEnabled(hwnd);
}

void CTesmaraDlg::ServeUntil(const std::function<bool()>& done) {
    const bool uiThread = GetCurrentThreadId() == m_uiThread;
    while (!done()) {
        if (!uiThread) {
            Sleep(1);
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_SENDMESSAGE, 0);
        // Peeking runs the messages sent to this thread and takes nothing from its queue.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CTesmaraDlg::Post(Work work) {
    m_posted.Post(std::move(work));
}

void CTesmaraDlg::WakeForPostedWork() {
    if (HWND hwnd = Handle()) PostMessageW(hwnd, kPostedWorkMessage, 0, 0);
}

void CTesmaraDlg::RunOwnedModal(const std::function<void(HWND owner)>& show) {
    if (m_closing) return;
    RunOnUiThread([&] {
        if (!m_closing) show(Handle());
    });
}

int CTesmaraDlg::ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) {
    int result = DeclinedResult(style);
    RunOwnedModal([&](HWND owner) {
        std::wstring textCopy(text);
        std::wstring captionCopy(caption);
        result = ::MessageBoxW(owner, textCopy.c_str(), captionCopy.c_str(), style);
    });
    return result;
}

}  // namespace tesmara
