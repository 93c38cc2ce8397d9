// DialogView (or a port built on it, such as MainView) over a Win32 dialog: each operation is a
// message sent to a control, so any thread may call it. A dialog whose portable logic needs its
// controls derives from Win32DialogView<DialogView> instead of ui::Dialog.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Dialog.h"
#include "ui/IpAddress.h"
#include "ui/Window.h"
#include "view/DialogView.h"

namespace tesmara {

template <class Port>
class Win32DialogView : public ui::Dialog, public Port {
  public:
    explicit Win32DialogView(int templateId) : ui::Dialog(templateId) {}

    void EnableControl(int id, bool enabled) override { ui::Window(Item(id)).Enable(enabled); }
    void ShowControl(int id, bool shown) override { ui::Window(Item(id)).Show(shown); }
    bool IsButtonChecked(int id) override { return ui::Button(Item(id)).IsChecked(); }
    void SetButtonChecked(int id, bool checked) override {
        ui::Button(Item(id)).SetChecked(checked);
    }
    std::wstring ControlText(int id) override { return ui::Window(Item(id)).Text(); }
    void SetControlText(int id, std::wstring_view text) override {
        ui::Window(Item(id)).SetText(text);
    }
    void RewriteEditText(int id, std::wstring_view text) override {
        HWND edit = Item(id);
        ui::Window(edit).SetText(text);
        LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), -1);
        SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    }
    bool IsAddressBlank(int id) override { return ui::IpAddress(Item(id)).IsBlank(); }
    void AddListItem(int id, std::wstring_view text, int32_t data) override {
        ui::ComboBox list(Item(id));
        int position = list.AddString(text);
        if (position >= 0) list.SetItemData(position, data);
    }
    void SelectListItem(int id, int position) override {
        ui::ComboBox(Item(id)).SetCurSel(position);
    }
    int32_t SelectedItemData(int id) override {
        ui::ComboBox list(Item(id));
        int position = list.GetCurSel();
        return position < 0 ? kNoListItem : static_cast<int32_t>(list.GetItemData(position));
    }
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override {
        std::wstring textCopy(text);
        std::wstring captionCopy(caption);
        return ::MessageBoxW(Handle(), textCopy.c_str(), captionCopy.c_str(), style);
    }
};

}  // namespace tesmara
