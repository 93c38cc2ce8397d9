#include "app/win32/MainCommands.h"

#include <windows.h>

#include <commctrl.h>

#include "app/MainDialogState.h"
#include "discovery/SearchCommand.h"
#include "netcfg/AddressPanelHandlers.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

using Handler = void (*)(MainDialogState&);

struct CommandBinding {
    int id;
    int code;
    Handler handler;
};

struct NotificationBinding {
    int id;
    UINT code;
    Handler handler;
};

constexpr CommandBinding kCommands[] = {
    {IDC_IP_SEARCH, BN_CLICKED, RunIpSearchCommand},
    {IDC_OWN_ADDRESS, BN_CLICKED, OnOwnAddressClicked},
};

constexpr NotificationBinding kNotifications[] = {
    {IDC_PANEL_ADDRESS, IPN_FIELDCHANGED, OnPanelAddressFieldChanged},
};

}  // namespace

bool RunMainCommand(MainDialogState& dialog, int id, int code) {
    for (const CommandBinding& binding : kCommands) {
        if (binding.id == id && binding.code == code) {
            binding.handler(dialog);
            return true;
        }
    }
    return false;
}

bool RunMainNotification(MainDialogState& dialog, int id, UINT code) {
    for (const NotificationBinding& binding : kNotifications) {
        if (binding.id == id && binding.code == code) {
            binding.handler(dialog);
            return true;
        }
    }
    return false;
}

}  // namespace tesmara
