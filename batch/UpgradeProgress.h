// The handling of a transfer's progress on the run owner's thread. The library's callbacks only
// post the progress (BatchRun::PostProgress); the owner runs this for each in arrival order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tesmara {

class BatchRun;

// `value`: progress 0 to 100, -1 when device `i` finished the transfer, -2 when it failed (with
// the library's `cause`). Shows the progress in "Upgrade Status"; on the final state closes the
// transfer and counts the device or starts its chain; then makes the completion test. Once the
// run has ended, or the window is closing, it changes nothing.
void OnUpgradeProgress(BatchRun& run, size_t i, int32_t value, int32_t cause);

}  // namespace tesmara
