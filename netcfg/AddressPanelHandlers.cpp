#include "netcfg/AddressPanelHandlers.h"

#include <optional>
#include <string>

#include "addressing/AddressPlanning.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/Dialogs.h"
#include "view/MainView.h"
#include "view/WindowState.h"

namespace tesmara {
namespace {

void EnableStartAddress(MainView& view, bool on) {
    view.EnableControl(IDC_START_ADDRESS, on);
    view.EnableControl(IDC_START_ADDRESS_LABEL, on);
}

}  // namespace

void OnOwnAddressClicked(WindowState& dialog) {
    MainView& view = dialog.m_view;
    bool ownAddress = view.IsButtonChecked(IDC_OWN_ADDRESS);
    EnableStartAddress(view, !ownAddress);
    if (ownAddress) return;
    if (!dialog.m_dialogs.ConfirmOwnAddress()) {
        view.SetButtonChecked(IDC_OWN_ADDRESS, true);
        EnableStartAddress(view, false);
    } else {
        EnableStartAddress(view, true);
    }
}

void OnPanelAddressEdited(WindowState& dialog) {
    MainView& view = dialog.m_view;
    if (view.IsAddressBlank(IDC_PANEL_ADDRESS)) view.EnableControl(IDC_MODIFY_ADDRESS, false);
}

void OnPanelAddressFieldChanged(WindowState& dialog) {
    MainView& view = dialog.m_view;
    if (view.IsAddressBlank(IDC_PANEL_ADDRESS)) {
        view.EnableControl(IDC_MODIFY_ADDRESS, false);
        return;
    }
    view.EnableControl(IDC_MODIFY_ADDRESS, true);
    std::string text = WideToAnsi(view.ControlText(IDC_PANEL_ADDRESS));
    view.SetControlText(IDC_PANEL_GATEWAY, AnsiToWide(GatewayForAddress(text)));
    std::optional<std::string> mask = MaskForAddress(text);
    view.SetControlText(IDC_PANEL_MASK, AnsiToWide(mask ? *mask : "0.0.0.0"));
}

}  // namespace tesmara
