// Setting the devices' clocks to the PC's local time: the worker of "同步时间" alone, and the
// clock step that the other workers take before their main step when "同步时间" is ticked too.
#pragma once

#include <cstdint>
#include <string>

namespace tesmara {

struct DeviceRow;
struct MainDialogState;

int TimeSyncWorker(MainDialogState* dialog);

// The clock step inside the upgrade and import workers: true once the clock is set (after the
// 200 ms pause). On failure it appends "[%s]同步时间失败！Error = %d" and logs out at once; the
// caller counts the device as failed and skips its main step.
bool SetClockBeforeMainStep(MainDialogState& dialog, const DeviceRow& device, int32_t login);

// DevLogin to the device with the run's user and password; 0 with `error` set when it failed.
int32_t LoginToDevice(MainDialogState& dialog, const std::string& address, uint16_t port,
                      int32_t& error);

}  // namespace tesmara
