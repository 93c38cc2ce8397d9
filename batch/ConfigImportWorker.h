// Importing the chosen configuration file into every ticked device, one after the other; the
// worker ends its run itself once it has visited the last row.
#pragma once

namespace tesmara {

struct MainDialogState;

int ConfigImportWorker(MainDialogState* dialog);

}  // namespace tesmara
