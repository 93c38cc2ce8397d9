// What a batch command would do, said per device instead of done: the search (or the dialled
// devices) as usual, then nothing more is sent.
#pragma once

#include <string>
#include <vector>

#include "batch/BatchJob.h"
#include "cli/BatchReport.h"

namespace tesmara::cli {

struct DryRunPlan {
    std::string text;
    bool startable = true;  // every device's steps could start
};

// `devices` are the outcomes the command keeps (the job's devices by their row, those done
// before, those not found); `firmwareDigest` and `configDigest` name the files' content.
DryRunPlan PlanDryRun(const BatchJob& job, const std::vector<DeviceOutcome>& devices,
                      const std::string& firmwareDigest, const std::string& configDigest);

}  // namespace tesmara::cli
