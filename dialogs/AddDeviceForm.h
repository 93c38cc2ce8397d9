// The add-device dialog's logic: its defaults, and its OK, which logs in to the
// typed address, reads the recorder's network block and logs out again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "view/Dialogs.h"

namespace tesmara {

class DeviceAccess;
class DialogView;

// Characters the port edit takes.
inline constexpr int kAddDevicePortChars = 5;

// The port field as a number: its leading decimal digits, 0 when it starts with none.
int ParseLoginPort(std::wstring_view text);

// A recorder's MAC text in the table's form: ':' becomes '-', hex digits upper case.
std::wstring TableFormMac(std::string_view macText);

// The texts every opening starts with: user "admin", empty password, port "34567".
void InitAddDeviceForm(DialogView& form);

// OK: the recorder read, or none after the failure was shown; the dialog then stays open with
// its fields as typed. No session outlives the call.
std::optional<AddedDevice> RunAddDeviceOk(DialogView& form, DeviceAccess& access);

}  // namespace tesmara
