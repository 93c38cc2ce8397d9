// The two workers that start firmware transfers: the plain upgrade and the upgrade followed by a
// configuration import. Each logs in to every device of the job, sets its clock first when the
// job says so, and hands the firmware file to the library, which transfers it in the background
// and reports through the progress callbacks; the workers never wait for a transfer.
#pragma once

#include <cstdint>

namespace tesmara {

class BatchRun;

void FirmwareUpgradeWorker(BatchRun& run);
void UpgradeConfigWorker(BatchRun& run);

// The library's progress (total, current) as the "Upgrade Status" value: the transfer fills 0 to
// 50, the device's writing phase (total -1) 50 to 100, and the final states -1 and -2 (total 0)
// pass unchanged.
int32_t MapUpgradeProgress(int32_t total, int32_t current);

// The callback given to DevUpgrade (user data: the run's record of the transfer). It reads the
// library's cause of a failed transfer on its own thread, then only posts to the run's owner.
void UpgradeProgressCallback(int32_t, int32_t, int32_t total, int32_t current, void* user);

}  // namespace tesmara
