#include "dialogs/AddDeviceCommand.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/Text.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "view/Dialogs.h"
#include "view/MainView.h"
#include "view/WindowState.h"

namespace tesmara {
namespace {

bool AddressInTable(MainView& view, const std::string& address) {
    int rows = view.RowCount();
    for (int row = 0; row < rows; ++row) {
        const DeviceRow* device = view.DeviceOfRow(row);
        if (device && device->ipText == address) return true;
    }
    return false;
}

}  // namespace

void RunAddDeviceCommand(WindowState& dialog) {
    std::optional<AddedDevice> added = dialog.m_dialogs.AddDevice(dialog.m_access);
    if (!added) return;
    MainView& view = dialog.m_view;
    if (AddressInTable(view, added->ipAddress)) {
        view.ShowMessage(L"IP已存在!", L"", kBoxOk | kBoxIconInformation);
        return;
    }
    DeviceRow record;
    record.shown = 1;
    record.macText = WideToAnsi(added->macAddress);
    record.ipText = added->ipAddress;
    record.gatewayText = added->gateway;
    record.maskText = added->subnetMask;
    record.tcpPort = static_cast<uint16_t>(added->port);
    record.httpPort = added->httpPort;
    // The row points at the record just stored: an earlier record of the same address (one
    // re-addressed away since, its row now pointing at its new record) is another recorder.
    DeviceRow* stored = &dialog.m_addedDevices.emplace_back(std::move(record));
    int n = view.RowCount();
    view.InsertRow(n, std::to_wstring(n + 1));
    view.SetCellText(n, kColumnMac, added->macAddress);
    view.SetCellText(n, kColumnIp, AnsiToWide(added->ipAddress));
    view.SetCellText(n, kColumnUpgradeStatus, AnsiToWide(kNoValue));
    view.SetItemData(n, stored);
    SetAllChecks(view, true);
}

}  // namespace tesmara
