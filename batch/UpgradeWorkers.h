// The two workers that start firmware transfers: the plain upgrade and the upgrade followed by a
// configuration import. Each logs in to every ticked device, sets its clock when "同步时间" is
// ticked, and hands the firmware file to the library, which transfers it in the background and
// reports through the progress callbacks; the workers never wait for a transfer.
#pragma once

#include <cstdint>

namespace tesmara {

struct MainDialogState;

int FirmwareUpgradeWorker(MainDialogState* dialog);
int UpgradeConfigWorker(MainDialogState* dialog);

// The library's progress (total, current) as the "Upgrade Status" value: the transfer fills 0 to
// 50, the device's writing phase (total -1) 50 to 100, and the final states -1 and -2 (total 0)
// pass unchanged.
int32_t MapUpgradeProgress(int32_t total, int32_t current);

// The callbacks given to DevUpgrade (user data: the device's DeviceRow). They only post the
// mapped value to the window, as WM_USER+1 and WM_USER+2 respectively.
void UpgradeProgressCallback(int32_t, int32_t, int32_t total, int32_t current, void* user);
void UpgradeConfigProgressCallback(int32_t, int32_t, int32_t total, int32_t current, void* user);

}  // namespace tesmara
