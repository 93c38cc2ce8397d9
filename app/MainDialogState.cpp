#include "app/MainDialogState.h"

#include "app/MainView.h"

namespace tesmara {

MainView* g_mainDialog = nullptr;

void StartWorker(MainDialogState& dialog, int (*worker)(MainDialogState*)) {
    MainDialogState* target = &dialog;
    dialog.m_workers.Start([worker, target] { worker(target); });
}

}  // namespace tesmara
