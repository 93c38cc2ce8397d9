// Work slots of the two chains that finish a device after its firmware transfer: slot i serves
// table row i. Filled by the progress handlers, read by the chain threads.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tesmara {

struct MainDialogState;

constexpr int kChainSlotCount = 50;

struct AddressChainSlot {
    MainDialogState* dialog = nullptr;
    std::string address;
    uint16_t tcpPort = 0;
    int32_t row = 0;
};

struct ConfigChainSlot {
    MainDialogState* dialog = nullptr;
    uint8_t upgraded = 0;
    std::string address;
    uint16_t tcpPort = 0;
    int32_t row = 0;
};

using AddressChainSlots = std::array<AddressChainSlot, kChainSlotCount>;
using ConfigChainSlots = std::array<ConfigChainSlot, kChainSlotCount>;

}  // namespace tesmara
