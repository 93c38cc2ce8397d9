// The search-and-assign worker ("IP Search" with the own-address box cleared): it finds the
// devices by the basic search, offers each one an address from the dialog's address plan and
// lists those that confirmed. It disables the window from its first step to its last.
#pragma once

namespace tesmara {

struct MainDialogState;

int SearchAssignWorker(MainDialogState* dialog);

}  // namespace tesmara
