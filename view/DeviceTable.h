// The device table: its columns and the operations other subsystems use on it.
#pragma once

#include <array>
#include <string>

#include "view/DeviceRow.h"

namespace tesmara {

class MainView;

struct DeviceColumn {
    const wchar_t* header;
    int width;  // pixels
};

enum DeviceColumnIndex {
    kColumnNumber = 0,
    kColumnMac = 1,
    kColumnIp = 2,
    kColumnUpgradeStatus = 3,
    kColumnCloudId = 4,
    kColumnDescription = 5,
    kColumnReleaseVersion = 6,
    kColumnReleaseTime = 7,
    kColumnDeviceTime = 8,
    kColumnStartTime = 9,
};

// All centred.
inline constexpr std::array<DeviceColumn, 10> kDeviceColumns = {{
    {L"NO.", 50},
    {L"MAC Address", 120},
    {L"IP Address", 120},
    {L"Upgrade Status", 100},
    {L"Cloud ID", 100},
    {L"Device Description", 120},
    {L"Release Version", 200},
    {L"Release Time", 150},
    {L"Device Time", 120},
    {L"Device Start Time", 150},
}};

// The texts of a shown device's cells in row `row` (its number is row + 1).
std::array<std::wstring, kDeviceColumns.size()> DeviceCells(int row, const DeviceRow& device);

// Rebuilds the rows from `devices` (shown records only), then leaves every row unchecked.
void FillDeviceTable(MainView& view, DeviceList& devices);

// Ticks or clears every row, then disables the three Modify buttons whatever the state.
void SetAllChecks(MainView& view, bool state);

// "All" clicked: ticks or clears every row as the box now is.
void OnAllClicked(MainView& view);

// Appends one row for `device` (MAC, IP, "-- --" in Upgrade Status); returns its index.
int AppendDeviceRow(MainView& view, DeviceRow* device);

}  // namespace tesmara
