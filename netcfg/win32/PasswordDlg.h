// The password dialog: the four entry fields keep their text rule, and OK runs the
// portable change against the device the caller named. Ends with IDOK only after a change.
#pragma once

#include <windows.h>

#include <utility>

#include "netcfg/win32/PasswordDlgRes.h"
#include "ui/Win32DialogView.h"
#include "view/Dialogs.h"

namespace tesmara {

class DeviceAccess;

class CChangePassword final : public Win32DialogView<DialogView> {
  public:
    CChangePassword(DeviceAccess& access, PasswordTarget target)
        : Win32DialogView<DialogView>(IDD_MODIFY_PASSWORD),
          m_access(access),
          m_target(std::move(target)) {}

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

  private:
    DeviceAccess& m_access;
    PasswordTarget m_target;
};

}  // namespace tesmara
