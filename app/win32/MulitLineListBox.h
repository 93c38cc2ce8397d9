// The status log: an owner-drawn list box whose entries are painted on the background
// colour held in their item value (StatusColour).
#pragma once

#include <windows.h>

#include "ui/ListBox.h"

namespace tesmara {

class CMulitLineListBox : public ui::ListBox {
  public:
    // Owner-draw hooks; the parent routes WM_DRAWITEM, WM_MEASUREITEM and WM_COMPAREITEM here.
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    // Keeps the height the system proposes: one text line of the dialog font.
    void MeasureItem(MEASUREITEMSTRUCT& /*item*/) const {}
    // The log is not sorted, so entries never need ordering.
    int CompareItem(const COMPAREITEMSTRUCT& /*item*/) const { return 0; }
};

}  // namespace tesmara
