// The list view in report mode, with WTL's method names.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>

#include "ui/Window.h"

namespace tesmara::ui {

class ListView : public Window {
  public:
    using Window::Window;

    static constexpr int kItemTextChars = 512;

    int InsertColumn(int index, std::wstring_view header, int format, int width) const {
        std::wstring text(header);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = format;
        column.cx = width;
        column.pszText = &text[0];
        column.iSubItem = index;
        return static_cast<int>(Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    }
    bool DeleteColumn(int index) const { return Send(LVM_DELETECOLUMN, index) != 0; }
    bool SetColumnWidth(int index, int width) const {
        return Send(LVM_SETCOLUMNWIDTH, index, MAKELPARAM(width, 0)) != 0;
    }
    DWORD ExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }

    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    // Index of the new row, or -1.
    int InsertItem(int index, std::wstring_view text) const {
        std::wstring copy(text);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = &copy[0];
        return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    std::wstring ItemText(int index, int subItem) const {
        wchar_t buffer[kItemTextChars] = {};
        LVITEMW item{};
        item.iSubItem = subItem;
        item.pszText = buffer;
        item.cchTextMax = kItemTextChars;
        Send(LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    bool SetItemText(int index, int subItem, std::wstring_view text) const {
        std::wstring copy(text);
        LVITEMW item{};
        item.iSubItem = subItem;
        item.pszText = &copy[0];
        return Send(LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    LPARAM ItemData(int index) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
        return item.lParam;
    }
    bool SetItemData(int index, LPARAM data) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = data;
        return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    // Check boxes are state images: 1 = clear, 2 = ticked.
    bool GetCheckState(int index) const {
        UINT state = static_cast<UINT>(Send(LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK));
        return (state >> 12) == 2;
    }
    void SetCheckState(int index, bool checked) const {
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        Send(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
    }
    int SelectedIndex() const {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    void SetSelected(int index) const {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        Send(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
    }
    // The row under a point in client coordinates, with the hit-test flags.
    int HitTest(POINT point, UINT& flags) const {
        LVHITTESTINFO hit{};
        hit.pt = point;
        int index = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        flags = hit.flags;
        return index;
    }
    bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS) != 0; }
    void SetRedraw(bool on) const { Send(WM_SETREDRAW, on ? TRUE : FALSE); }
};

}  // namespace tesmara::ui
