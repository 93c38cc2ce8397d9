// What the portable logic of any dialog needs of its window: controls by ID, their texts and
// check states, and message boxes. The Win32 dialogs implement it by messages sent to their
// controls (so any thread may call it); tests and the console use in-memory views.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmara {

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
constexpr int32_t kNoListItem = -1;

class DialogView {
  public:
    virtual ~DialogView() = default;

    // Controls by ID (the dialog's *Res.h).
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual void ShowControl(int id, bool shown) = 0;
    virtual bool IsButtonChecked(int id) = 0;
    virtual void SetButtonChecked(int id, bool checked) = 0;
    virtual std::wstring ControlText(int id) = 0;
    virtual void SetControlText(int id, std::wstring_view text) = 0;
    virtual bool IsAddressBlank(int id) = 0;  // IP address control with all four fields empty
    // An edit's text replaced by a rule while the operator types: the caret goes to the end.
    virtual void RewriteEditText(int id, std::wstring_view text) { SetControlText(id, text); }

    // Drop-down lists: an item added at the end carries a number of the caller's; the selection
    // is by position, read back as that number (kNoListItem when nothing is selected).
    virtual void AddListItem(int id, std::wstring_view text, int32_t data) = 0;
    virtual void SelectListItem(int id, int position) = 0;
    virtual int32_t SelectedItemData(int id) = 0;

    // Returns the button pressed (kBoxResult*). Runs on the UI thread whoever calls it.
    virtual int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) = 0;
};

}  // namespace tesmara
