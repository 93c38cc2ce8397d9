#include "app/MainDialogState.h"

#include <string_view>

#include "view/MainView.h"

namespace tesmara {

MainView* g_mainDialog = nullptr;

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
            // Its devices will never be counted: end the run, or a console waiting for it waits
            // for ever.
            target->m_counters.End();
            ReportWorkerFailure(target->m_view, L"Worker stopped by an internal error!");
        }
    });
    if (!started) {
        dialog.m_counters.End();
        ReportWorkerFailure(dialog.m_view, L"Worker could not be started!");
    }
    return started;
}

bool ReadyForNewRun(MainDialogState& dialog) {
    if (!dialog.m_view.IsWindowEnabled()) return false;
    dialog.m_view.ServeUntil([&dialog] { return dialog.m_workers.Running() == 0; });
    return true;
}

}  // namespace tesmara
