// The main window's command and notification bindings: which portable handler runs for which
// control. One table, so that each subsystem adds its handlers with one line.
#pragma once

#include <windows.h>

namespace tesmara {

struct MainDialogState;

// Runs the handler bound to (control, notification code) of WM_COMMAND; false when none is.
bool RunMainCommand(MainDialogState& dialog, int id, int code);
// Runs the handler bound to (control, code) of WM_NOTIFY; false when none is.
bool RunMainNotification(MainDialogState& dialog, int id, UINT code);

}  // namespace tesmara
