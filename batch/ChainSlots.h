// Work slots of the two chains that finish a device after its firmware transfer: slot i serves
// table row i. "Start" sizes the array of its mode to the table's rows, so that every row has a
// slot however many devices are ticked; the progress handlers fill them, the chain threads read
// them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesmara {

struct MainDialogState;

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

using AddressChainSlots = std::vector<AddressChainSlot>;
using ConfigChainSlots = std::vector<ConfigChainSlot>;

}  // namespace tesmara
