// The list of the system's modal dialogs. Each function runs one dialog on the user-interface
// thread (whoever calls it) and returns what the operator chose. The Win32 side implements the
// list once (app/win32/Win32Dialogs.cpp), the console answers as nobody is there to
// (cli/ConsoleMainView.h), tests script the answers (tests/support/ScriptedDialogs.h). A new
// dialog adds one function here and to those three, and its form class in its subsystem's
// win32/, with its template and IDs beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tesmara {

// The files the two "Browse" buttons choose.
enum class FileKind {
    kFirmware,  // the firmware "Browse": upf, bin or any file
    kConfig,    // the configuration "Browse": coi files
};

class ConfigForm;
class DeviceAccess;

// The device whose account the password dialog changes: the highlighted row's address (ANSI code
// page) and login port.
struct PasswordTarget {
    std::string address;
    uint16_t port = 0;
};

// What the add-device dialog read from a recorder before it closed with OK.
struct AddedDevice {
    std::string ipAddress;    // as typed, ANSI code page
    int port = 0;             // the port field's leading digits
    std::wstring macAddress;  // dashed, upper case
    std::string subnetMask;
    std::string gateway;
    uint16_t httpPort = 0;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // The own-address warning: true unless the operator cancelled.
    virtual bool ConfirmOwnAddress() = 0;

    // The system's file-open dialog for `kind`: the full path chosen, none when cancelled.
    virtual std::optional<std::wstring> ChooseFile(FileKind kind) = 0;

    // The password dialog for the account on `target`: true when the password was
    // changed, false when the operator cancelled.
    virtual bool EditPassword(DeviceAccess& access, const PasswordTarget& target) = 0;

    // The configuration dialog over the main window's one `form`: true when the
    // operator saved, which has filled the form's settings and mode.
    virtual bool EditConfig(ConfigForm& form) = 0;

    // The add-device dialog: the recorder it logged in to and read, none when the
    // operator cancelled.
    virtual std::optional<AddedDevice> AddDevice(DeviceAccess& access) = 0;
};

}  // namespace tesmara
