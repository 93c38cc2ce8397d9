// The handlers of upgrade progress on the window's thread. The library's callbacks only post the
// progress (MainView::PostUpgradeProgress); the Win32 window runs these for each message it
// receives, the console front end from its loop.
#pragma once

#include <cstdint>

#include "view/MainView.h"

namespace tesmara {

struct DeviceRow;
struct MainDialogState;

// True when `device` is a row of the table and an upgrade run is going on: only then is a
// message of these numbers (which the dialog manager also uses) progress of ours.
bool IsDeviceOfCurrentRun(MainDialogState& dialog, DeviceRow* device);

// `value`: progress 0 to 100, -1 when the device finished the transfer, -2 when it failed.
// Shows the progress in "Upgrade Status"; on the final state closes the transfer and counts the
// device or starts its chain; then makes the completion test. Once the run has ended, or the
// window is closing, it changes nothing.
void OnUpgradeProgress(MainDialogState& dialog, UpgradeProgressKind kind, DeviceRow* device,
                       int32_t value);

}  // namespace tesmara
