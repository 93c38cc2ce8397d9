#include "dialogs/win32/ConfigDlg.h"

#include <commctrl.h>

namespace tesmara {

bool CModifyConfigDlg::OnInit() {
    m_form.OnInit(*this);
    return true;
}

bool CModifyConfigDlg::OnCommand(int id, int code, HWND /*control*/) {
    if (code != BN_CLICKED) return false;
    if (id >= IDC_USE_LANGUAGE && id <= IDC_USE_NETWORK) {
        m_form.OnUseBoxClicked(*this, id);
        return true;
    }
    if (id == IDC_CONFIG_MODE_NORMAL) {
        m_form.ShowNormalLayout(*this);
        return true;
    }
    if (id == IDC_CONFIG_MODE_NETWORK) {
        m_form.ShowNetworkLayout(*this);
        return true;
    }
    return false;
}

bool CModifyConfigDlg::OnNotify(int id, NMHDR* header, LRESULT& result) {
    if (id != IDC_CONFIG_ADDRESS || header->code != IPN_FIELDCHANGED) return false;
    m_form.SuggestMaskAndGateway(*this);
    result = 0;
    return true;
}

void CModifyConfigDlg::OnOK() {
    m_form.OnSave(*this);
    End(IDOK);
}

}  // namespace tesmara
