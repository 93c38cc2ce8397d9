#include "batch/TimeSyncWorker.h"

#include "batch/BatchRun.h"
#include "batch/PcClockTime.h"
#include "devaccess/DeviceTime.h"
#include "devaccess/LoginMessages.h"
#include "platform/Text.h"

namespace tesmara {

void TimeSyncWorker(BatchRun& run) {
    for (size_t i = 0; i < run.Job().devices.size(); ++i) {
        if (run.StopRequested()) return;
        if (!run.Admit(i)) break;
        run.Line(i, StatusColour::kProgress, "[%s]正在同步时间...");
        if (run.RefuseConflicting(i)) {
            run.Record(i, false);
            continue;
        }
        int32_t error = 0;
        DeviceSession session = run.Login(i, error);
        if (!session.IsOpen()) {
            run.Line(i, StatusColour::kFailure,
                     DeviceLoginFailureLine(AnsiToWide(run.Device(i).address), error));
            run.Record(i, false);
            continue;
        }
        if (SendDeviceTime(run.Access(), session.Handle(), DeviceTimeFromPcClock())) {
            run.Line(i, StatusColour::kSuccess, "[%s]同步设备时间成功！");
            run.Record(i, true);
        } else {
            const int32_t lastError = session.LastError();
            run.Line(i, StatusColour::kFailure, "[%s]同步设备时间失败！Error = %d", lastError);
            run.Record(i, false);
        }
        // Logged out after the pause whatever the outcome, also when the window is closing.
        run.Pause(kSettlePauseMs);
    }
    if (run.End()) run.Finish(kOperateCompletedZh);
}

}  // namespace tesmara
