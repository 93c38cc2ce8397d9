// Opens the real main window (modeless, on the test's thread) with in-memory ports, and closes it
// the way the close box does.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "GuiSupport.h"
#include "app/win32/TesmaraDlg.h"
#include "res/MainDlgRes.h"
#include "tests/support/FakeClock.h"
#include "tests/support/InMemoryNetwork.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/support/win32/MainWindowReader.h"

namespace tesmara::gui {

class MainWindowTest : public ::testing::Test {
  protected:
    // The clock moves 1 ms on every reading too, so that polling loops always progress.
    MainWindowTest() { clock.SetReadStep(1); }
    void SetUp() override { Open(network, clock); }

    // Opens the window on the given ports (fixtures with a populated network call this).
    void Open(SocketFactory& sockets, Clock& time) {
        dialog = std::make_unique<CTesmaraDlg>(sockets, time, access);
        ASSERT_TRUE(dialog->Create(nullptr));
        hwnd = dialog->Handle();
        Pump();
    }

    void TearDown() override {
        if (dialog && dialog->Handle()) SendMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
        Pump();
        dialog.reset();
    }

    HWND Control(int id) const { return GetDlgItem(hwnd, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool Visible(int id) const {
        return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool Checked(int id) const {
        return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::wstring Text(int id) const { return WindowText(Control(id)); }

    // The status log's lines and their colours (item values).
    HWND Log() const { return testing::StatusLog(hwnd); }
    int Lines() const { return static_cast<int>(testing::StatusLogLines(hwnd).size()); }
    std::wstring Line(int line) const {
        std::vector<std::wstring> lines = testing::StatusLogLines(hwnd);
        return line >= 0 && line < static_cast<int>(lines.size()) ? lines[line] : std::wstring();
    }
    LPARAM Colour(int line) const { return SendMessageW(Log(), LB_GETITEMDATA, line, 0); }

    // The device table's rows and cell texts.
    HWND Table() const { return testing::DeviceTableOf(hwnd); }
    int Rows() const { return testing::DeviceTableRows(hwnd); }
    std::wstring Cell(int row, int column) const {
        wchar_t buffer[512] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 512;
        SendMessageW(Table(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    MainDialogState& State() { return dialog->State(); }

    testing::FakeClock clock{0x10000};
    testing::InMemoryNetwork network{clock};  // nobody on it
    testing::ScriptedDeviceAccess access;
    std::unique_ptr<CTesmaraDlg> dialog;
    HWND hwnd = nullptr;
};

}  // namespace tesmara::gui
