// What the main window's commands share below the window itself: the ports through which they
// reach the world (the window, the modal dialogs, sockets, clock, device library) and the
// window's device lists. The panel and dialog commands take it; the window's full state
// (MainDialogState, in app/) builds on it.
#pragma once

#include <string>

#include "view/DeviceRow.h"

namespace tesmara {

class MainView;
class Dialogs;
class SocketFactory;
class Clock;
class DeviceAccess;

struct WindowState {
    WindowState(MainView& view, Dialogs& dialogs, SocketFactory& sockets, Clock& clock,
                DeviceAccess& access)
        : m_view(view), m_dialogs(dialogs), m_sockets(sockets), m_clock(clock), m_access(access) {}

    MainView& m_view;
    Dialogs& m_dialogs;
    SocketFactory& m_sockets;
    Clock& m_clock;
    DeviceAccess& m_access;

    // Rows of the table point at records of these lists: a record never moves while its list
    // lives.
    DeviceList m_devices;             // found by the last search
    DeviceList m_addedDevices;        // added by address
    DeviceList m_configDevices;       // re-addressed by the configuration dialog
    DeviceList m_readdressedDevices;  // re-addressed by the panel
    std::string m_loginUser;          // UTF-8, of the configuration dialog's run
    std::string m_loginPassword;      // UTF-8
    // The address panel's "Modify" blocks; its message boxes must not re-enter.
    bool m_addressChangeRunning = false;
};

}  // namespace tesmara
