// The list of modal dialogs on Win32: each runs on the main window's thread, owned by it, and is
// declined without being shown once the window is closing.
#pragma once

#include <optional>
#include <string>

#include "view/Dialogs.h"

namespace tesmara {

class CTesmaraDlg;

class Win32Dialogs : public Dialogs {
  public:
    explicit Win32Dialogs(CTesmaraDlg& owner) : m_owner(owner) {}

    bool ConfirmOwnAddress() override;
    std::optional<std::wstring> ChooseFile(FileKind kind) override;
    bool EditPassword(DeviceAccess& access, const PasswordTarget& target) override;
    bool EditConfig(ConfigForm& form) override;
    std::optional<AddedDevice> AddDevice(DeviceAccess& access) override;

  private:
    CTesmaraDlg& m_owner;
};

}  // namespace tesmara
