// The batch controls of the main window: the three mode boxes, the two "Browse" buttons and
// "Start", which checks the selection and the files, builds the run's job from the controls and
// starts the run.
#pragma once

#include <optional>

#include "batch/BatchJob.h"

namespace tesmara {

struct MainDialogState;

void OnUpgradeModeClicked(MainDialogState& dialog);
void OnConfigureModeClicked(MainDialogState& dialog);
void OnSyncTimeModeClicked(MainDialogState& dialog);

// "Browse" for the firmware or the configuration file: the chosen path is shown beside its
// button and stored in the ANSI code page; a cancelled choice changes nothing.
void OnBrowseFirmware(MainDialogState& dialog);
void OnBrowseConfig(MainDialogState& dialog);

// The job the window's controls describe: the mode boxes, the own-address box, the stored paths,
// the login as typed (UTF-8) and the ticked rows as values. None when no mode box is ticked.
std::optional<BatchJob> JobFromWindow(MainDialogState& dialog);

// "Start". Returns at once; the run goes on in its own threads. Does nothing while a run is in
// progress (see ReadyForNewRun); refuses a file the library would refuse.
void RunStartCommand(MainDialogState& dialog);

}  // namespace tesmara
