// Setting the devices' clocks to the PC's local time: the worker of "同步时间" alone, and the
// clock step that the other workers take before their main step when "同步时间" is ticked too.
#pragma once

#include <cstdint>

namespace tesmara {

struct DeviceRow;
struct MainDialogState;

int TimeSyncWorker(MainDialogState* dialog);

// The clock step inside the upgrade and import workers: true once the clock is set (after the
// 200 ms pause). On failure it appends "[%s]同步时间失败！Error = %d" and logs out at once; the
// caller counts the device as failed and skips its main step.
bool SetClockBeforeMainStep(MainDialogState& dialog, const DeviceRow& device, int32_t login);

// How the upgrade and import workers open a device before their main step: the login (the
// English login line in red on failure), its handle stored in the row, and the clock step when
// `syncTime`. The login handle, or 0 when the device already failed.
int32_t OpenDeviceForMainStep(MainDialogState& dialog, DeviceRow& device, bool syncTime);

}  // namespace tesmara
