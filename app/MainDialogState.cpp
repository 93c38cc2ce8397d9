#include "app/MainDialogState.h"

#include <string_view>

#include "view/MainView.h"

namespace tesmara {
namespace {

// The window stays usable after a worker that could not run to its end.
void ReportWorkerFailure(MainView& view, std::wstring_view text) {
    try {
        view.AppendStatusLine(text, StatusColour::kFailure);
        view.SetWindowEnabled(true);
    } catch (...) {
        // Nothing more can be said; the thread must still end normally.
    }
}

}  // namespace

bool StartWorker(MainDialogState& dialog, int (*worker)(MainDialogState*)) {
    MainDialogState* target = &dialog;
    bool started = dialog.m_workers.Start([worker, target] {
        try {
            worker(target);
        } catch (...) {
            ReportWorkerFailure(target->m_view, L"Worker stopped by an internal error!");
        }
    });
    if (!started) ReportWorkerFailure(dialog.m_view, L"Worker could not be started!");
    return started;
}

int RunningThreads(const MainDialogState& dialog) {
    return dialog.m_workers.Running() + (dialog.m_run ? dialog.m_run->Running() : 0);
}

bool ReadyForNewRun(MainDialogState& dialog) {
    if (!dialog.m_view.IsWindowEnabled()) return false;
    dialog.m_view.ServeUntil([&dialog] { return RunningThreads(dialog) == 0; });
    return true;
}

void RequestStopAll(MainDialogState& dialog) {
    dialog.m_workers.RequestStop();
    if (dialog.m_run) dialog.m_run->RequestStop();
}

}  // namespace tesmara
