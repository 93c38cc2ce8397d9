// What happens to one device after its firmware transfer ended well and it restarts: a chain
// thread waits for the restart, logs in again (up to 16 times, 2 s apart) and does the device's
// second step: a fixed address (after a plain upgrade that does not keep the own address) or the
// configuration import (in upgrade-and-configure runs). Each chain counts its device and makes
// the completion test.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tesmara {

class BatchRun;

constexpr uint32_t kRestartWaitMs = 20000;
constexpr uint32_t kLoginRetryPauseMs = 2000;
constexpr int kLoginAttempts = 16;

// The address every reset device gets, and its gateway.
inline constexpr char kResetAddress[] = "192.168.1.10";
inline constexpr char kResetGateway[] = "192.168.1.1";

// The chain threads' bodies for device `i` of the run (BatchRun::StartChain).
void AddressResetChain(BatchRun& run, size_t i);
void ConfigAfterUpgradeChain(BatchRun& run, size_t i);

}  // namespace tesmara
