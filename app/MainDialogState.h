// Everything the main dialog owns apart from its controls: what its commands share (WindowState:
// the ports and device lists), and the address plan, paths, the configuration dialog's choices,
// the last batch run and its presenter, and the window's worker threads. The window's own
// workers (the searches) receive a pointer to it as their only argument.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "addressing/AddressPlanning.h"
#include "app/WindowBatchStatus.h"
#include "batch/BatchRun.h"
#include "dialogs/ConfigForm.h"
#include "platform/Workers.h"
#include "view/WindowState.h"

namespace tesmara {

struct MainDialogState : WindowState {
    using WindowState::WindowState;

    AddressPlan m_plan;
    std::string m_firmwarePath;  // ANSI code page, as chosen by "Browse"
    std::string m_configPath;
    ConfigForm m_configDialog;  // one for the window's life: its choices last between openings
    WindowBatchStatus m_batchStatus{m_view};
    // The last batch run: its job, counters, transfers and threads are its own.
    std::shared_ptr<BatchRun> m_run;

    // Declared last so that it is destroyed first: its destructor stops and joins the workers
    // while everything they touch still exists.
    WorkerGroup m_workers;
};

// Starts `worker(&dialog)` on a thread of the dialog's worker group. A worker that cannot be
// started, or that ends by an exception, is reported in red and leaves the window enabled.
// False when no thread could be started.
bool StartWorker(MainDialogState& dialog, int (*worker)(MainDialogState*));

// For the commands that start a run (IP Search, Start), which disable the window before their
// worker starts. False while a run is in progress (the window is disabled), so that a click
// queued before the worker took over is refused. Otherwise first waits for the threads that
// have ended their run but not yet returned: a click on a window that looks ready is never
// dropped, and nothing of the last run overlaps the next.
bool ReadyForNewRun(MainDialogState& dialog);

// For a closing window: every thread of the window and of its batch run is asked to stop, and
// how many of them still run.
void RequestStopAll(MainDialogState& dialog);
int RunningThreads(const MainDialogState& dialog);

}  // namespace tesmara
