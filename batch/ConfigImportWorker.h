// The worker of "Configure" alone: imports the configuration file into each device, one after
// the other (its clock first when "同步时间" is ticked too).
#pragma once

namespace tesmara {

class BatchRun;

void ConfigImportWorker(BatchRun& run);

}  // namespace tesmara
