#include "app/win32/MainCommands.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "app/DeviceTable.h"
#include "app/MainDialogState.h"
#include "batch/UpgradeProgress.h"
#include "discovery/SearchCommand.h"
#include "netcfg/AddressPanelHandlers.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

using Handler = void (*)(MainDialogState&, WPARAM, LPARAM);

struct Binding {
    UINT message;  // WM_COMMAND, WM_NOTIFY or a private message
    int id;        // control ID; 0 for private messages
    UINT code;     // notification code; 0 for private messages
    Handler handler;
};

// A portable handler that needs nothing from the message.
template <void (*Run)(MainDialogState&)>
void Plain(MainDialogState& dialog, WPARAM, LPARAM) {
    Run(dialog);
}

template <UpgradeProgressKind Kind>
void Progress(MainDialogState& dialog, WPARAM wParam, LPARAM lParam) {
    OnUpgradeProgress(dialog, Kind, reinterpret_cast<DeviceRow*>(wParam),
                      static_cast<int32_t>(lParam));
}

constexpr Binding kBindings[] = {
    {WM_COMMAND, IDC_IP_SEARCH, BN_CLICKED, Plain<RunIpSearchCommand>},
    {WM_COMMAND, IDC_ALL, BN_CLICKED, Plain<OnAllClicked>},
    {WM_COMMAND, IDC_OWN_ADDRESS, BN_CLICKED, Plain<OnOwnAddressClicked>},
    {WM_NOTIFY, IDC_PANEL_ADDRESS, IPN_FIELDCHANGED, Plain<OnPanelAddressFieldChanged>},
    {WM_COMMAND, IDC_PANEL_ADDRESS, EN_CHANGE, Plain<OnPanelAddressEdited>},
    {WM_UPGRADE_PROGRESS, 0, 0, Progress<UpgradeProgressKind::kUpgrade>},
    {WM_UPGRADE_CONFIG_PROGRESS, 0, 0, Progress<UpgradeProgressKind::kUpgradeConfig>},
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
            binding.handler(dialog, wParam, lParam);
            return true;
        }
    }
    return false;
}

}  // namespace tesmara
