// The handler of upgrade progress on the window's thread. The library's callbacks only post the
// progress (MainView::PostUpgradeProgress); the Win32 window runs this for each message it
// receives, the console front end from its loop.
#pragma once

#include <cstdint>

#include "app/MainView.h"

namespace tesmara {

struct DeviceRow;
struct MainDialogState;

// `value`: progress 0 to 100, -1 when the device finished the upgrade, -2 when it failed.
// The upgrade completion chain fills this in; until then progress changes nothing.
void OnUpgradeProgress(MainDialogState& dialog, UpgradeProgressKind kind, DeviceRow* device,
                       int32_t value);

}  // namespace tesmara
