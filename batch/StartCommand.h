// The batch controls of the main window: the three mode boxes, the two "Browse" buttons and
// "Start", which checks the selection and the files, resets the counters and starts the worker
// of the chosen mode.
#pragma once

namespace tesmara {

struct MainDialogState;

// "Upgrade" (1009), "Configure" (1010) and "同步时间" (1011) clicked.
void OnUpgradeModeClicked(MainDialogState& dialog);
void OnConfigureModeClicked(MainDialogState& dialog);
void OnSyncTimeModeClicked(MainDialogState& dialog);

// "Browse" 1004 (firmware) and 1006 (configuration): the chosen path goes to 1003/1005 and,
// in the ANSI code page, to the stored path; a cancelled choice changes nothing.
void OnBrowseFirmware(MainDialogState& dialog);
void OnBrowseConfig(MainDialogState& dialog);

// "Start" (1007). Returns at once; the worker runs on its own thread. Does nothing while a run
// is in progress (see ReadyForNewRun); refuses a file the library would refuse.
void RunStartCommand(MainDialogState& dialog);

}  // namespace tesmara
