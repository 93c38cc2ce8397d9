// The About box.
#pragma once

#include "res/MainDlgRes.h"
#include "ui/Dialog.h"

namespace tesmara {

class CAboutDlg : public ui::Dialog {
  public:
    CAboutDlg() : ui::Dialog(IDD_ABOUTBOX) {}
};

}  // namespace tesmara
