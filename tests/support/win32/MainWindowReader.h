// Reads the main window's status log and device table back by window messages, as the GUI tests
// (inside the process) and tesmara-probe (from another process) both do. List-box messages
// cross processes on their own; list-view item texts need a buffer in the window's process, so
// each caller reads cells its own way.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "res/MainDlgRes.h"
#include "view/DeviceTable.h"

namespace tesmara::testing {

inline constexpr int kTableColumns = static_cast<int>(kDeviceColumns.size());

inline HWND StatusLog(HWND dialog) {
    return GetDlgItem(dialog, IDC_STATUS_LOG);
}

inline HWND DeviceTableOf(HWND dialog) {
    return GetDlgItem(dialog, IDC_DEVICE_TABLE);
}

// The log's lines, and with `colours` their item values (the StatusColour of each line).
inline std::vector<std::wstring> StatusLogLines(HWND dialog,
                                                std::vector<LPARAM>* colours = nullptr) {
    std::vector<std::wstring> lines;
    HWND log = StatusLog(dialog);
    LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(log, LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        LRESULT got = SendMessageW(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        lines.push_back(text);
        if (colours) colours->push_back(SendMessageW(log, LB_GETITEMDATA, i, 0));
    }
    return lines;
}

inline int DeviceTableRows(HWND dialog) {
    return static_cast<int>(SendMessageW(DeviceTableOf(dialog), LVM_GETITEMCOUNT, 0, 0));
}

inline bool DeviceTableRowChecked(HWND dialog, int row) {
    auto state = static_cast<UINT>(
        SendMessageW(DeviceTableOf(dialog), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

}  // namespace tesmara::testing
