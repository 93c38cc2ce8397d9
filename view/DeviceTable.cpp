#include "view/DeviceTable.h"

#include <string>

#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/MainView.h"

namespace tesmara {
namespace {

std::wstring RowNumber(int index) {
    return std::to_wstring(index + 1);
}

}  // namespace

std::array<std::wstring, kDeviceColumns.size()> DeviceCells(int row, const DeviceRow& device) {
    const std::string* texts[] = {&device.macText,
                                  &device.ipText,
                                  nullptr,
                                  &device.details.cloudId,
                                  &device.details.description,
                                  &device.details.releaseVersion,
                                  &device.details.releaseTime,
                                  &device.details.deviceTime,
                                  &device.details.startTime};
    std::array<std::wstring, kDeviceColumns.size()> cells;
    cells[kColumnNumber] = RowNumber(row);
    for (int column = kColumnMac; column <= kColumnStartTime; ++column) {
        const std::string* text = texts[column - kColumnMac];
        cells[static_cast<size_t>(column)] = AnsiToWide(text ? *text : kNoValue);
    }
    return cells;
}

void FillDeviceTable(MainView& view, DeviceList& devices) {
    view.SetTableRedraw(false);
    int added = 0;
    for (DeviceRow& device : devices) {
        if (device.shown != 1) continue;
        int n = view.RowCount();
        const auto cells = DeviceCells(n, device);
        view.InsertRow(n, cells[kColumnNumber]);
        for (int column = kColumnMac; column <= kColumnStartTime; ++column) {
            view.SetCellText(n, column, cells[static_cast<size_t>(column)]);
        }
        view.SetItemData(n, &device);
        ++added;
    }
    view.SetTableRedraw(true);
    if (added > 0) {
        view.SetButtonChecked(IDC_ALL, true);
        SetAllChecks(view, false);
        view.SetButtonChecked(IDC_ALL, false);
    }
}

void SetAllChecks(MainView& view, bool state) {
    int rows = view.RowCount();
    for (int row = 0; row < rows; ++row) view.SetChecked(row, state);
    view.EnableControl(IDC_MODIFY_ADDRESS, false);
    view.EnableControl(IDC_MODIFY_PORTS, false);
    view.EnableControl(IDC_MODIFY_PASSWORD, false);
}

void OnAllClicked(MainView& view) {
    SetAllChecks(view, view.IsButtonChecked(IDC_ALL));
}

int AppendDeviceRow(MainView& view, DeviceRow* device) {
    int n = view.RowCount();
    view.InsertRow(n, RowNumber(n));
    view.SetCellText(n, kColumnMac, AnsiToWide(device->macText));
    view.SetCellText(n, kColumnIp, AnsiToWide(device->ipText));
    view.SetCellText(n, kColumnUpgradeStatus, AnsiToWide(kNoValue));
    view.SetItemData(n, device);
    return n;
}

}  // namespace tesmara
