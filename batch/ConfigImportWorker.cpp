#include "batch/ConfigImportWorker.h"

#include "batch/BatchRun.h"
#include "devaccess/DeviceAccess.h"

namespace tesmara {
namespace {

// One device: true when it was configured.
bool ConfigureDevice(BatchRun& run, size_t i) {
    run.Line(i, StatusColour::kProgress, "[%s] is configuring...");
    DeviceSession session = run.OpenForMainStep(i);
    if (!session.IsOpen()) return false;
    const bool imported =
        run.Access().DevImportConfig(session.Handle(), run.Job().configPath.c_str()) != 0;
    if (imported) {
        run.Line(i, StatusColour::kSuccess, "[%s] configure successfully!");
    } else {
        const int32_t lastError = session.LastError();
        run.Line(i, StatusColour::kFailure, "[%s] configure failed!Error = %d", lastError);
    }
    return imported;
}

}  // namespace

void ConfigImportWorker(BatchRun& run) {
    for (size_t i = 0; i < run.Job().devices.size(); ++i) {
        if (run.StopRequested()) return;
        if (!run.Admit(i)) break;
        run.Record(i, ConfigureDevice(run, i));
    }
    if (run.End()) run.Finish(kOperateCompleted);
}

}  // namespace tesmara
