#include "app/MainDialogState.h"

namespace tesmara {

void StartWorker(MainDialogState& dialog, int (*worker)(MainDialogState*)) {
    MainDialogState* target = &dialog;
    dialog.workers.Start([worker, target] { worker(target); });
}

}  // namespace tesmara
