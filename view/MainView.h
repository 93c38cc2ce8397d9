// What the portable core needs of the main window: the status log, the device table and the
// window itself, besides the controls every dialog has, and the queue of work posted to its
// thread. The Win32 dialog implements it by messages sent to its controls (so any thread may call
// it); the console and the tests use the in-memory view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/PostedWork.h"
#include "view/DialogView.h"
#include "view/StatusColour.h"

namespace tesmara {

struct DeviceRow;

// Post (WorkPoster) is the one path from a worker or library thread to the window's thread: the
// work is queued and run there in posting order, on one private message of the window.
class MainView : public DialogView, public WorkPoster {
  public:
    // The status log.
    virtual void AppendStatusLine(std::wstring_view text, StatusColour colour) = 0;
    virtual void ClearStatusLog() = 0;

    // The device table.
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
};

}  // namespace tesmara
