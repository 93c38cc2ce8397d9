// The warning shown when the operator lets a search hand out addresses: bold red
// text beside a warning picture. Returns 1 for "确定" and 2 for "取消", Escape or the close box.
#pragma once

#include <windows.h>

#include "netcfg/win32/WarningDlgRes.h"
#include "ui/Dialog.h"
#include "ui/Static.h"

namespace tesmara {

class CWarningDlg : public ui::Dialog {
  public:
    CWarningDlg() : ui::Dialog(IDD_WARNING) {}
    ~CWarningDlg() override;

  protected:
    bool OnInit() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    ui::Static m_text;
    HBITMAP m_bitmap = nullptr;
    HFONT m_font = nullptr;
};

}  // namespace tesmara
