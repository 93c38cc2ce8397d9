#include "app/win32/MulitLineListBox.h"

#include <string>

namespace tesmara {
namespace {

constexpr COLORREF kSelectedText = 0xFFFFFF;  // white
constexpr COLORREF kSelectedFill = 0xFF0000;  // blue (0x00BBGGRR)
constexpr int kTextIndent = 5;

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    // The solid fill also leaves the background colour set to the fill.
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

void CMulitLineListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) return;
    auto colour = static_cast<COLORREF>(ItemData(static_cast<int>(item.itemID)));
    if (colour == 0) {
        // Added but not yet coloured: paint it with the repaint that follows its colouring.
        InvalidateRect(m_hwnd, nullptr, TRUE);
        return;
    }
    HDC dc = item.hDC;
    COLORREF oldText = GetTextColor(dc);
    COLORREF oldBack = GetBkColor(dc);

    COLORREF fill = colour;
    if (item.itemState & ODS_SELECTED) {
        SetTextColor(dc, kSelectedText);
        fill = kSelectedFill;
    }
    RECT rect = item.rcItem;
    FillSolid(dc, rect, fill);
    rect.left += kTextIndent;
    std::wstring text = ItemText(static_cast<int>(item.itemID));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_WORDBREAK | DT_TOP | DT_LEFT);

    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

}  // namespace tesmara
