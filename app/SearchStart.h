// The "IP Search" command and the window's side of a search: its job from the controls, and the
// presenter that writes its lines into the status log, its devices into the lists and the table,
// and enables the window at its end.
#pragma once

namespace tesmara {

struct MainDialogState;

// Empties the device lists, the table and the status log, disables the window, then starts the
// search the own-address box selects. Returns at once. Does nothing while a run is in progress
// (see ReadyForNewRun); refuses an unusable start address of the assigning search with a message
// box.
void RunIpSearchCommand(MainDialogState& dialog);

// The two searches as the window runs them on its worker thread (also for tests): the window
// disabled from the first step to the last, the devices found kept in the dialog's list.
int WindowSearchOnly(MainDialogState* dialog);
int WindowSearchAssign(MainDialogState* dialog);

}  // namespace tesmara
