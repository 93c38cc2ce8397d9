// The add-device dialog: the port edit takes five characters, and OK runs the
// portable login and read. Ends with IDOK only once a recorder was read; Result() then holds it.
#pragma once

#include <windows.h>

#include <optional>

#include "dialogs/win32/AddDeviceDlgRes.h"
#include "ui/Win32DialogView.h"
#include "view/Dialogs.h"

namespace tesmara {

class DeviceAccess;

class CAddDeviceDlg final : public Win32DialogView<DialogView> {
  public:
    explicit CAddDeviceDlg(DeviceAccess& access)
        : Win32DialogView<DialogView>(IDD_ADD_DEVICE), m_access(access) {}

    const std::optional<AddedDevice>& Result() const { return m_result; }

  protected:
    bool OnInit() override;
    void OnOK() override;

  private:
    DeviceAccess& m_access;
    std::optional<AddedDevice> m_result;
};

}  // namespace tesmara
