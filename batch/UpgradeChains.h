// What happens to one device after its firmware transfer ended well and it restarts: a chain
// thread waits for the restart, logs in again (up to 16 times, 2 s apart) and does the device's
// second step: a fixed address (after a plain upgrade with the own-address box clear) or the
// configuration import (in upgrade-and-configure runs). Each thread counts its device and makes
// the completion test.
#pragma once

#include <cstdint>

#include "batch/ChainSlots.h"

namespace tesmara {

struct MainDialogState;

constexpr uint32_t kRestartWaitMs = 20000;
constexpr uint32_t kLoginRetryPauseMs = 2000;
constexpr int kLoginAttempts = 16;

// The address every reset device gets, and its gateway.
inline constexpr char kResetAddress[] = "192.168.1.10";
inline constexpr char kResetGateway[] = "192.168.1.1";

// The thread procedures. Each works on its own copy of the slot, so that the slots may be
// refilled by the next "Start" whatever the thread is doing.
int AddressResetThread(const AddressChainSlot* slot);
int ConfigAfterUpgradeThread(const ConfigChainSlot* slot);

// Start the thread for `slot` on the dialog's worker group; false when no thread could be made.
bool StartAddressReset(MainDialogState& dialog, const AddressChainSlot& slot);
bool StartConfigAfterUpgrade(MainDialogState& dialog, const ConfigChainSlot& slot);

}  // namespace tesmara
