#include "netcfg/win32/PasswordDlg.h"

#include "netcfg/PasswordForm.h"
#include "platform/Text.h"

namespace tesmara {

bool CChangePassword::OnInit() {
    SetControlText(IDC_PASSWORD_DEVICE, AnsiToWide(m_target.address));
    EnableControl(IDC_PASSWORD_DEVICE, false);
    return true;
}

bool CChangePassword::OnCommand(int id, int code, HWND /*control*/) {
    if (code != EN_CHANGE) return false;
    switch (id) {
        case IDC_PASSWORD_USER:
        case IDC_PASSWORD_OLD:
        case IDC_PASSWORD_NEW:
        case IDC_PASSWORD_CONFIRM:
            LimitEditText(*this, id);
            return true;
        default:
            return false;
    }
}

void CChangePassword::OnOK() {
    RunPasswordOk(*this, m_access, m_target, [this] { End(IDOK); });
}

}  // namespace tesmara
