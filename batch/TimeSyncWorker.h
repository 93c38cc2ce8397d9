// The worker of "同步时间" alone: sets each device's clock to the PC's local time, one device
// after the other.
#pragma once

namespace tesmara {

class BatchRun;

void TimeSyncWorker(BatchRun& run);

}  // namespace tesmara
