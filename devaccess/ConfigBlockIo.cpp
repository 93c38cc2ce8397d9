#include "devaccess/ConfigBlockIo.h"

#include <algorithm>

namespace tesmara {

bool ReadConfigBlock(DeviceAccess& access, int32_t login, int32_t command,
                     std::span<uint8_t> block) {
    std::fill(block.begin(), block.end(), uint8_t{0});
    int32_t returned = 0;
    // A short block is no block: its zero tail would be written back by a read-modify-write.
    return access.DevGetConfig(login, command, kConfigAllChannels, block.data(),
                               static_cast<int32_t>(block.size()), &returned,
                               kConfigWaitDefault) != 0 &&
           returned == static_cast<int32_t>(block.size());
}

bool WriteConfigBlock(DeviceAccess& access, int32_t login, int32_t command,
                      std::span<const uint8_t> block, int32_t channel, int32_t waitMs) {
    return access.DevSetConfig(login, command, channel, block.data(),
                               static_cast<int32_t>(block.size()), waitMs) != 0;
}

}  // namespace tesmara
