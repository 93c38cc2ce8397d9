// The configuration dialog over the main window's one ConfigForm: the form keeps
// the choices, this class only routes the controls' notifications to it.
#pragma once

#include <windows.h>

#include "dialogs/ConfigForm.h"
#include "dialogs/win32/ConfigDlgRes.h"
#include "ui/Win32DialogView.h"

namespace tesmara {

class CModifyConfigDlg final : public Win32DialogView<DialogView> {
  public:
    explicit CModifyConfigDlg(ConfigForm& form)
        : Win32DialogView<DialogView>(IDD_MODIFY_CONFIG), m_form(form) {}

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    void OnOK() override;

  private:
    ConfigForm& m_form;
};

}  // namespace tesmara
