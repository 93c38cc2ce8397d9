// "Modify Password" and the logic of its dialog: the entry-field rule and the
// dialog's OK, which logs in with the old password and asks the device to replace it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "view/Dialogs.h"

namespace tesmara {

class DeviceAccess;
class DialogView;
struct WindowState;

// Bytes an entry's password field holds, terminator included.
inline constexpr size_t kPasswordFieldSize = 96;

// The text an entry field must be rewritten to, or none: trailing blanks dropped, and a text of
// more than 64 UTF-8 bytes cut to its first 64 characters.
std::optional<std::wstring> LimitEditRewrite(std::wstring_view text);

// LimitEditText: applies LimitEditRewrite to the user-name edit, caret at the end. The password
// edits are left as typed.
void LimitEditText(DialogView& view, int editId);

// Whether a password (UTF-8) fits an entry's password field with its terminator.
bool FitsPasswordField(std::string_view password);

// The dialog's OK. On success calls `closeWithOk` and then reports the change; true then.
// Every failure leaves the dialog open (false) with no session left behind.
bool RunPasswordOk(DialogView& dialog, DeviceAccess& access, const PasswordTarget& target,
                   const std::function<void()>& closeWithOk);

// "Modify Password" on the main dialog.
void RunPasswordCommand(WindowState& dialog);

}  // namespace tesmara
