// What every party of a batch run shares: the login, the device's address in its lines, the
// counter labels, the end of the run (labels, completion box, window enabled again), the pauses,
// and closing what the library still runs when the window goes away.
#pragma once

#include <cstdint>
#include <string>

#include "view/StatusColour.h"
#include "batch/BatchCounters.h"

namespace tesmara {

struct DeviceRow;
struct MainDialogState;
class MainView;

// Completion boxes (information icon, empty caption).
inline constexpr char kOperateCompleted[] = "Operate completed!";
inline constexpr char kOperationCompleted[] = "Operation completed!";
inline constexpr char kOperateCompletedZh[] = "操作完成！";

// The 200 ms pause after a device's clock was set or its configuration imported.
constexpr uint32_t kSettlePauseMs = 200;

// A device's address (ANSI code page) as the UTF-8 argument of a line's "%s".
std::string AddressArg(const std::string& ansiAddress);

// One status line "format" with the address and, when the format has it, one number.
void AppendDeviceLine(MainView& view, StatusColour colour, const char* format,
                      const std::string& ansiAddress);
void AppendDeviceLine(MainView& view, StatusColour colour, const char* format,
                      const std::string& ansiAddress, int32_t number);

// The red line for a row that two hosts answered for (the run does not log in to it).
inline constexpr char kConflictingDeviceLine[] =
    "[%s] login refused! Two devices answer with this MAC";

// True, with the red line, when the run must not log in to `device`.
bool RefuseConflicting(MainView& view, const DeviceRow& device);

// DevLogin to the device with the run's user and password; 0 with `error` set when it failed.
int32_t LoginToDevice(MainDialogState& dialog, const std::string& address, uint16_t port,
                      int32_t& error);

// Totals (1029), Success (1030) and Fail (1028) with "%d".
void WriteCounterLabels(MainView& view, const BatchTally& tally);

// The end of a run, done by the one party that ended it: Success and Fail labels, the completion
// box `utf8Message`, the window enabled. Nothing is shown once the window is closing.
void FinishRun(MainDialogState& dialog, const char* utf8Message);

// Waits `ms` on the dialog's clock in short steps; false (at once) when the window is closing.
bool PauseRun(MainDialogState& dialog, uint32_t ms);

// Closes every transfer the library still runs and logs its device out; for a closing window.
void CloseOpenTransfers(MainDialogState& dialog);

}  // namespace tesmara
