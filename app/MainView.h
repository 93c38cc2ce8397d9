// What the portable core needs of the main window. The Win32 dialog implements it by messages
// sent to its controls (so any thread may call it); tests use a recording fake.
#pragma once

#include <string>
#include <string_view>

#include "app/StatusColour.h"

namespace tesmara {

struct DeviceRow;

// Message-box styles the system uses (values as Windows defines them).
enum MessageBoxStyle : unsigned {
    kBoxOk = 0x0,
    kBoxOkCancel = 0x1,
    kBoxYesNo = 0x4,
    kBoxIconError = 0x10,
    kBoxIconQuestion = 0x20,
    kBoxIconWarning = 0x30,
    kBoxIconInformation = 0x40,
};
constexpr int kBoxResultOk = 1;
constexpr int kBoxResultCancel = 2;
constexpr int kBoxResultYes = 6;
constexpr int kBoxResultNo = 7;

class MainView {
  public:
    virtual ~MainView() = default;

    // Status log (1008).
    virtual void AppendStatusLine(std::wstring_view text, StatusColour colour) = 0;
    virtual void ClearStatusLog() = 0;

    // Device table (1000).
    virtual int RowCount() = 0;
    virtual bool IsChecked(int row) = 0;
    virtual void SetChecked(int row, bool checked) = 0;
    virtual DeviceRow* DeviceOfRow(int row) = 0;
    virtual void InsertRow(int row, std::wstring_view numberText) = 0;
    virtual void SetCellText(int row, int column, std::wstring_view text) = 0;
    virtual void SetItemData(int row, DeviceRow* device) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void SetTableRedraw(bool on) = 0;
    virtual int HighlightedRow() = 0;  // -1 when none

    // Controls by ID (res/MainDlgRes.h).
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual bool IsButtonChecked(int id) = 0;
    virtual void SetButtonChecked(int id, bool checked) = 0;
    virtual std::wstring ControlText(int id) = 0;
    virtual void SetControlText(int id, std::wstring_view text) = 0;
    virtual bool IsAddressBlank(int id) = 0;  // IP address control with all four fields empty

    // The whole window.
    virtual void EnableWindow(bool enabled) = 0;
    // Returns the button pressed (kBoxResult*). Runs on the UI thread whoever calls it.
    virtual int MessageBox(std::wstring_view text, std::wstring_view caption, unsigned style) = 0;
    // The own-address warning (template 131): 1 = OK, 2 = Cancel.
    virtual int RunWarningDialog() = 0;
};

}  // namespace tesmara
