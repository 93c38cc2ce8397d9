#include "dialogs/win32/AddDeviceDlg.h"

#include "dialogs/AddDeviceForm.h"

namespace tesmara {

bool CAddDeviceDlg::OnInit() {
    SendMessageW(Item(IDC_ADD_PORT), EM_LIMITTEXT, kAddDevicePortChars, 0);
    InitAddDeviceForm(*this);
    return true;
}

void CAddDeviceDlg::OnOK() {
    m_result = RunAddDeviceOk(*this, m_access);
    if (m_result) End(IDOK);
}

}  // namespace tesmara
