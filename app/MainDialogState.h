// Everything the main dialog owns apart from its controls: device lists, address plan, paths,
// counters, login of a run and chain slots, plus the ports through which workers reach the
// world. Workers receive a pointer to it as their only argument.
#pragma once

#include <cstdint>
#include <string>

#include "app/DeviceRow.h"
#include "batch/ChainSlots.h"
#include "platform/Workers.h"

namespace tesmara {

class MainView;
class SocketFactory;
class Clock;
class DeviceAccess;

// The start-address plan of a search (all texts ANSI code page).
struct AddressPlan {
    std::string gatewayText;
    std::string maskText;
    std::string startAddressText;
    std::string hostPrefixText;
    std::string startHostText;
};

struct MainDialogState {
    MainDialogState(MainView& view, SocketFactory& sockets, Clock& clock, DeviceAccess& access)
        : view(view), sockets(sockets), clock(clock), access(access) {}

    MainView& view;
    SocketFactory& sockets;
    Clock& clock;
    DeviceAccess& access;

    DeviceList m_devices;
    DeviceList m_detailDevices;
    AddressPlan m_plan;
    std::string m_firmwarePath;
    std::string m_configPath;
    int32_t m_total = 0;
    int32_t m_success = 0;
    int32_t m_fail = 0;
    std::string m_loginUser;      // UTF-8
    std::string m_loginPassword;  // UTF-8
    DeviceList m_addedDevices;
    DeviceList m_configDevices;
    DeviceList m_readdressedDevices;
    AddressChainSlots m_addressChainSlots;
    ConfigChainSlots m_configChainSlots;

    // Declared last so that it is destroyed first: its destructor stops and joins the workers
    // while everything they touch still exists.
    WorkerGroup workers;
};

// Starts `worker(&dialog)` on a thread of the dialog's worker group.
void StartWorker(MainDialogState& dialog, int (*worker)(MainDialogState*));

}  // namespace tesmara
