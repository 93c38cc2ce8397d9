// The "IP Search" command (button 1001).
#pragma once

namespace tesmara {

struct MainDialogState;

// Empties the device lists, the table and the status log, disables the window, then starts the
// search worker that the own-address box (1032) selects. Returns at once. Does nothing while a
// run is in progress (see ReadyForNewRun); refuses an unusable start address of the assigning
// search with a message box.
void RunIpSearchCommand(MainDialogState& dialog);

}  // namespace tesmara
