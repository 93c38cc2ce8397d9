#include "app/win32/MainCommands.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "app/BatchStart.h"
#include "app/MainDialogState.h"
#include "app/SearchStart.h"
#include "dialogs/AddDeviceCommand.h"
#include "dialogs/ConfigCommand.h"
#include "netcfg/AddressChangeCommand.h"
#include "netcfg/AddressPanelHandlers.h"
#include "netcfg/PasswordForm.h"
#include "netcfg/PortPanel.h"
#include "res/MainDlgRes.h"
#include "ui/ListView.h"
#include "view/DeviceTable.h"
#include "view/MainView.h"

namespace tesmara {
namespace {

// False: the message is not ours after all and goes on to the default processing.
using Handler = bool (*)(MainDialogState&, WPARAM, LPARAM);

struct Binding {
    UINT message;  // WM_COMMAND, WM_NOTIFY or a private message
    int id;        // control ID; 0 for private messages
    UINT code;     // notification code; 0 for private messages
    Handler handler;
};

// A portable handler that needs nothing from the message.
template <auto Run>
bool Plain(MainDialogState& dialog, WPARAM, LPARAM) {
    Run(dialog);
    return true;
}

bool ItemChanged(MainDialogState& dialog, WPARAM, LPARAM lParam) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    OnDeviceItemChanged(dialog, change->iItem, change->uChanged, change->uNewState);
    return true;
}

// The click is judged where the cursor was when the click message was sent.
bool TableClicked(MainDialogState& dialog, WPARAM, LPARAM lParam) {
    HWND table = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    DWORD position = GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ScreenToClient(table, &point);
    UINT flags = 0;
    int row = ui::ListView(table).HitTest(point, flags);
    OnDeviceTableClicked(dialog, row, flags);
    return true;
}

template <int Id>
bool PortEdited(MainDialogState& dialog, WPARAM, LPARAM) {
    ApplyPortEditRule(dialog.m_view, Id);
    return true;
}

constexpr Binding kBindings[] = {
    {WM_COMMAND, IDC_IP_SEARCH, BN_CLICKED, Plain<RunIpSearchCommand>},
    {WM_COMMAND, IDC_ALL, BN_CLICKED,
     [](MainDialogState& d, WPARAM, LPARAM) { return OnAllClicked(d.m_view), true; }},
    {WM_COMMAND, IDC_OWN_ADDRESS, BN_CLICKED, Plain<OnOwnAddressClicked>},
    {WM_NOTIFY, IDC_PANEL_ADDRESS, IPN_FIELDCHANGED, Plain<OnPanelAddressFieldChanged>},
    {WM_COMMAND, IDC_PANEL_ADDRESS, EN_CHANGE, Plain<OnPanelAddressEdited>},
    {WM_NOTIFY, IDC_DEVICE_TABLE, LVN_ITEMCHANGED, ItemChanged},
    {WM_NOTIFY, IDC_DEVICE_TABLE, NM_CLICK, TableClicked},
    {WM_COMMAND, IDC_HTTP_PORT, EN_CHANGE, PortEdited<IDC_HTTP_PORT>},
    {WM_COMMAND, IDC_TCP_PORT, EN_CHANGE, PortEdited<IDC_TCP_PORT>},
    {WM_COMMAND, IDC_MODIFY_ADDRESS, BN_CLICKED, Plain<RunAddressChangeCommand>},
    {WM_COMMAND, IDC_MODIFY_PORTS, BN_CLICKED, Plain<RunPortChangeCommand>},
    {WM_COMMAND, IDC_MODIFY_PASSWORD, BN_CLICKED, Plain<RunPasswordCommand>},
    {WM_COMMAND, IDC_MODE_UPGRADE, BN_CLICKED, Plain<OnUpgradeModeClicked>},
    {WM_COMMAND, IDC_MODE_CONFIGURE, BN_CLICKED, Plain<OnConfigureModeClicked>},
    {WM_COMMAND, IDC_MODE_SYNC_TIME, BN_CLICKED, Plain<OnSyncTimeModeClicked>},
    {WM_COMMAND, IDC_FIRMWARE_BROWSE, BN_CLICKED, Plain<OnBrowseFirmware>},
    {WM_COMMAND, IDC_CONFIG_BROWSE, BN_CLICKED, Plain<OnBrowseConfig>},
    {WM_COMMAND, IDC_START, BN_CLICKED, Plain<RunStartCommand>},
    {WM_COMMAND, IDC_MODIFY_CONFIG, BN_CLICKED,
     [](MainDialogState& d, WPARAM, LPARAM) {
         return RunConfigCommand(d, d.m_configDialog), true;
     }},
    {WM_COMMAND, IDC_ADD_DEVICE, BN_CLICKED, Plain<RunAddDeviceCommand>},
};

}  // namespace

bool RunMainBinding(MainDialogState& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    int id = 0;
    UINT code = 0;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
        code = HIWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        id = static_cast<int>(header->idFrom);
        code = header->code;
    }
    for (const Binding& binding : kBindings) {
        if (binding.message == message && binding.id == id && binding.code == code) {
            return binding.handler(dialog, wParam, lParam);
        }
    }
    return false;
}

}  // namespace tesmara
