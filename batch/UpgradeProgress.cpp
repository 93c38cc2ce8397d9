#include "batch/UpgradeProgress.h"

#include "batch/BatchRun.h"
#include "batch/UpgradeChains.h"
#include "devaccess/DeviceAccess.h"
#include "platform/Format.h"

namespace tesmara {
namespace {

constexpr int32_t kTransferDone = -1;
constexpr int32_t kTransferFailed = -2;

struct KindTexts {
    const char* failedLine;
    const char* completion;
};

KindTexts TextsOf(BatchKind kind) {
    if (kind == BatchKind::kUpgrade) return {"[%s] upgrade failed!", kOperateCompleted};
    return {"[%s] Upgrade failed!", kOperationCompleted};
}

// A device whose chain thread could not be made: uncounted, it would hold the run open.
bool CountWithoutThread(BatchRun& run, size_t i) {
    run.Line(i, StatusColour::kFailure,
             "[%s] upgraded, but not followed after its restart: no thread!");
    return run.Count(i, false);
}

// The transfer of device `i` ended well. True when this count ended the run.
bool OnTransferDone(BatchRun& run, size_t i) {
    if (run.Job().kind == BatchKind::kUpgradeConfigure) {
        run.Progress(i, L"Rebooting...");
        run.CloseTransfer(i);
        if (!run.StartChain(ConfigAfterUpgradeChain, i)) return CountWithoutThread(run, i);
        return false;
    }
    run.CloseTransfer(i);
    if (run.Job().keepOwnAddress) {
        run.Progress(i, L"Upgrade successfully!");
        run.Line(i, StatusColour::kSuccess, "[%s] upgrade successfully!");
        return run.Count(i, true);
    }
    run.Progress(i, L"正在重启...");
    if (!run.StartChain(AddressResetChain, i)) return CountWithoutThread(run, i);
    return false;
}

}  // namespace

void OnUpgradeProgress(BatchRun& run, size_t i, int32_t value, int32_t cause) {
    if (run.StopRequested() || run.Ended()) return;
    const KindTexts texts = TextsOf(run.Job().kind);
    bool ended = false;
    if (value == kTransferDone) {
        ended = OnTransferDone(run, i);
    } else if (value == kTransferFailed) {
        run.Progress(i, L"Upgrade failed!");
        run.Line(i, StatusColour::kFailure, texts.failedLine);
        run.Access().DevLogout(run.CloseTransfer(i));
        ended = run.Count(i, false, cause);
    } else {
        run.Progress(i, FormatUi("%d%%", value));
    }
    if (ended || run.EndIfComplete()) run.Finish(texts.completion);
}

}  // namespace tesmara
