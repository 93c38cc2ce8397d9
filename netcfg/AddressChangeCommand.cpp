#include "netcfg/AddressChangeCommand.h"

#include <cstdint>

#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "netcfg/DeviceByMac.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "view/MainView.h"
#include "view/WindowState.h"

namespace tesmara {
namespace {

const wchar_t* SetupFailureText(int error) {
    switch (error) {
        case kErrCreateSend:
            return L"Create client socket failed!";
        case kErrReuseAddress:
            return L"Set client socket failed!err=1";
        case kErrBroadcast:
            return L"Set client socket failed!err=2";
        case kErrBindSend:
            return L"Bind client failed!";
        case kErrCreateReceive:
            return L"Create server's socket failed!";
        case kErrBindReceive:
            return L"Bind server failed!";
        default:
            return nullptr;
    }
}

void ChangeAddress(WindowState& dialog) {
    MainView& view = dialog.m_view;
    std::string address = WideToAnsi(view.ControlText(IDC_PANEL_ADDRESS));
    std::string mask = WideToAnsi(view.ControlText(IDC_PANEL_MASK));
    std::string gateway = WideToAnsi(view.ControlText(IDC_PANEL_GATEWAY));
    int row = view.RowCount() > 0 ? view.HighlightedRow() : -1;
    if (row < 0) {
        view.ShowMessage(L"Please select a device!", L"", kBoxOk | kBoxIconWarning);
        return;
    }
    SearchSockets sockets;
    int setup = OpenSearchSockets(dialog.m_sockets, sockets);
    if (const wchar_t* failure = SetupFailureText(setup)) {
        view.ShowMessage(failure, L"", kBoxOk | kBoxIconWarning);
        return;
    }
    bool usable = setup == 0;
    bool failed = false;
    DeviceRow* device = view.DeviceOfRow(row);
    if (device) {
        const std::string old = device->ipText;
        uint32_t start = dialog.m_clock.NowMs();
        if (!usable || !sockets.Broadcast(kBasicSearchMagic, kMagicSize)) {
            sockets.Close();
            usable = false;
            view.AppendStatusLine(FormatUi("[%s] modify IP address failed!err=7", old.c_str()),
                                  StatusColour::kFailure);
        } else {
            Heard heard = WaitForDevice(sockets, dialog.m_clock, MacKey(device->macText), start);
            if (heard == Heard::kTimedOut) failed = true;
            if (heard == Heard::kYes) {
                auto datagram = EncodeAddressChange(device->macText, address, gateway, mask);
                if (!sockets.Broadcast(datagram.data(), datagram.size())) {
                    view.AppendStatusLine(
                        FormatUi("[%s] modify IP address failed!err=8", old.c_str()),
                        StatusColour::kFailure);
                } else {
                    view.AppendStatusLine(FormatUi("[%s] modify IP address to [%s] successfully!",
                                                   old.c_str(), address.c_str()),
                                          StatusColour::kSuccess);
                    view.SetCellText(row, kColumnIp, AnsiToWide(address));
                    view.SetItemData(row, RecordNewAddress(dialog.m_readdressedDevices, *device,
                                                           address, mask, gateway));
                }
            }
        }
    }
    sockets.Close();
    if (failed) {
        view.ShowMessage(L"Operate failed!", L"", kBoxOk | kBoxIconError);
    } else {
        view.ShowMessage(L"Operate completed!", L"", kBoxOk | kBoxIconInformation);
    }
}

}  // namespace

void RunAddressChangeCommand(WindowState& dialog) {
    if (dialog.m_addressChangeRunning) return;
    dialog.m_addressChangeRunning = true;
    ChangeAddress(dialog);
    dialog.m_addressChangeRunning = false;
}

}  // namespace tesmara
