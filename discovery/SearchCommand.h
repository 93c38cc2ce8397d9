// The "IP Search" command (button 1001).
#pragma once

namespace tesmara {

struct MainDialogState;

// Empties the device lists, the table and the status log, then starts the search worker that the
// own-address box (1032) selects. Returns at once.
void RunIpSearchCommand(MainDialogState& dialog);

}  // namespace tesmara
