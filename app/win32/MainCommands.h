// The main window's bindings: which portable handler runs for which command (WM_COMMAND),
// notification (WM_NOTIFY, with its NMHDR) or private message. One table, so that each
// subsystem adds a handler with one line.
#pragma once

#include <windows.h>

namespace tesmara {

struct MainDialogState;

// Runs the handler bound to the message: WM_COMMAND by (control, notification code), WM_NOTIFY by
// the header's (idFrom, code), any other message by itself. False when nothing is bound, or
// the handler found the message is not its own (then the default processing has it).
bool RunMainBinding(MainDialogState& dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tesmara
