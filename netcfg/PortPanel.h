// Main-dialog handlers of the selected-device panel: filling it when a row is highlighted,
// enabling its buttons on a click in the table, keeping the two port edits valid, and the port
// change (the port panel's "Modify").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tesmara {

class DialogView;
struct WindowState;

// List-view values the handlers are given (as Windows defines them).
inline constexpr unsigned kItemChangedState = 0x8;  // LVIF_STATE
inline constexpr unsigned kItemSelected = 0x2;      // LVIS_SELECTED
inline constexpr unsigned kHitOnCheckBox = 0x8;     // LVHT_ONITEMSTATEICON
inline constexpr unsigned kHitOnItem = 0xE;         // LVHT_ONITEM

// The text a port edit must be rewritten to, or none when `text` is already valid: a decimal
// number from 1 to 65535 without leading zeros or stray characters.
std::optional<std::wstring> PortEditRewrite(std::wstring_view text);

// The HTTP or TCP port edit changed: rewrites the edit by PortEditRewrite, caret at the end.
void ApplyPortEditRule(DialogView& view, int editId);

// Table item changed: fills the panel from the row once it becomes highlighted.
void OnDeviceItemChanged(WindowState& dialog, int row, unsigned changedFields, unsigned newState);

// Table clicked, with the hit-test result of the click.
void OnDeviceTableClicked(WindowState& dialog, int row, unsigned hitFlags);

// The port panel's "Modify": writes the two ports into the highlighted device and restarts it.
void RunPortChangeCommand(WindowState& dialog);

}  // namespace tesmara
