// What the portable core needs of the main window: the status log, the device table and the
// window itself, besides the controls every dialog has. The Win32 dialog implements it by
// messages sent to its controls (so any thread may call it); the console and the tests use the
// in-memory view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "view/DialogView.h"
#include "view/StatusColour.h"

namespace tesmara {

struct DeviceRow;

// The two kinds of upgrade progress the library's callbacks report (WM_USER+1 and WM_USER+2).
enum class UpgradeProgressKind {
    kUpgrade,        // firmware upgrade run
    kUpgradeConfig,  // upgrade-and-configure run
};

class MainView : public DialogView {
  public:
    // Status log (1008).
    virtual void AppendStatusLine(std::wstring_view text, StatusColour colour) = 0;
    virtual void ClearStatusLog() = 0;

    // Device table (1000).
    virtual int RowCount() = 0;
    virtual bool IsChecked(int row) = 0;
    virtual void SetChecked(int row, bool checked) = 0;
    virtual DeviceRow* DeviceOfRow(int row) = 0;
    virtual void InsertRow(int row, std::wstring_view numberText) = 0;
    virtual std::wstring CellText(int row, int column) = 0;
    virtual void SetCellText(int row, int column, std::wstring_view text) = 0;
    virtual void SetItemData(int row, DeviceRow* device) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void SetTableRedraw(bool on) = 0;
    virtual int HighlightedRow() = 0;  // -1 when none
    virtual void HighlightRow(int row) = 0;

    // The whole window.
    virtual void SetWindowEnabled(bool enabled) = 0;
    virtual bool IsWindowEnabled() = 0;

    // Returns once `done()` holds. Meanwhile the window's thread serves what workers send to the
    // window, but no input and no posted message, so that nothing the operator did since runs
    // before the caller.
    virtual void ServeUntil(const std::function<bool()>& done) = 0;

    // The one path from a library thread to the window: queues the progress and returns at once
    // (never waits for the window's thread, which may itself be waiting for the library). The
    // window's thread, or the console's loop, hands it to OnUpgradeProgress in arrival order.
    virtual void PostUpgradeProgress(UpgradeProgressKind kind, DeviceRow* device,
                                     int32_t value) = 0;
};

// The process's main window, set when it starts the device-access library; the library's
// progress callbacks reach the window through it.
extern MainView* g_mainDialog;

}  // namespace tesmara
