// Reading and writing a whole configuration block through the device-access library.
#pragma once

#include <cstdint>
#include <span>

#include "devaccess/DeviceAccess.h"

namespace tesmara {

// Channel and wait that the blocks are read and written with unless a caller says otherwise.
constexpr int32_t kConfigAllChannels = -1;
constexpr int32_t kConfigWaitDefault = -1;

// Clears the block, then DevGetConfig(login, command, -1, block, size, returned, -1). True when
// the library says the block was filled and returned all of it.
bool ReadConfigBlock(DeviceAccess& access, int32_t login, int32_t command,
                     std::span<uint8_t> block);

// DevSetConfig(login, command, channel, block, size, waitMs). True when the device took it.
bool WriteConfigBlock(DeviceAccess& access, int32_t login, int32_t command,
                      std::span<const uint8_t> block, int32_t channel = kConfigAllChannels,
                      int32_t waitMs = kConfigWaitDefault);

}  // namespace tesmara
