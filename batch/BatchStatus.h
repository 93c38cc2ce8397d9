// What a batch run reports, as typed events: each device's lines (worded exactly as the window
// shows them), its "Upgrade Status" text, its finish with the library's cause, and the run's end,
// exactly once. The window's presenter shows them; the console's presenter keeps each device's
// outcome. Events come from the run's threads, the library's callbacks (through the owner's
// queue) and the owner's thread: a presenter takes them from any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "batch/BatchCounters.h"
#include "view/StatusColour.h"

namespace tesmara {

struct BatchDevice;

class BatchStatus {
  public:
    virtual ~BatchStatus() = default;

    // The counters of a run that starts (success and fail 0).
    virtual void RunStarted(const BatchTally& tally) = 0;
    // A status line; `device` is the job's device it is about, null for the run's own lines.
    virtual void Line(const BatchDevice* device, std::wstring_view text, StatusColour colour) = 0;
    // The device's "Upgrade Status" text.
    virtual void Progress(const BatchDevice& device, std::wstring_view text) = 0;
    // The device has been counted. `cause`: the library's code for a failed transfer, else 0.
    virtual void DeviceFinished(const BatchDevice& device, bool succeeded, int32_t cause) = 0;
    // The job's failure limit was reached before the device started; it is counted, not run.
    // The window sets no limit, so only the console hears of it.
    virtual void DeviceNotStarted(const BatchDevice& device) { (void)device; }
    // The run is over, once: its tally and the completion box's text (UTF-8), or null when its
    // worker could not run and no box is due. Never sent once the window is closing.
    virtual void RunFinished(const BatchTally& tally, const char* completion) = 0;
};

}  // namespace tesmara
