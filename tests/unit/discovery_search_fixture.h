// A main dialog wired to a fake clock, an in-memory LAN and a recording view, for the search
// workers' tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainDialogState.h"
#include "devaccess/PlaceholderDeviceAccess.h"
#include "discovery/SearchStatus.h"
#include "tests/support/FakeClock.h"
#include "tests/support/InMemoryNetwork.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDialogs.h"

namespace tesmara {

struct SearchFixture : ::testing::Test {
    static constexpr uint32_t kStart = 100000;

    testing::FakeClock clock{kStart};
    testing::InMemoryNetwork network{clock};
    testing::RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    PlaceholderDeviceAccess access;
    MainDialogState dialog{view, dialogs, network, clock, access};

    // A poll that does not sleep still costs a millisecond, so that loops which poll without
    // pausing run out of time.
    SearchFixture() { clock.SetReadStep(1); }

    uint32_t Elapsed() { return clock.Peek() - kStart; }

    // A search phase run by hand: its ports, its events ignored, what it found.
    SearchPorts Ports() { return {network, clock, dialog.m_workers}; }
    struct Quiet : SearchStatus {
        void Line(std::wstring_view, StatusColour) override {}
        void Found(DeviceList) override {}
        void Finished(bool) override {}
    } status;
    DeviceList found;

    std::vector<std::wstring> Column(int column) {
        std::vector<std::wstring> out;
        for (const auto& row : view.rows) out.push_back(row.cells[column]);
        return out;
    }

    std::vector<std::string> DeviceIps() {
        std::vector<std::string> out;
        for (const DeviceRow& row : dialog.m_devices) out.push_back(row.ipText);
        return out;
    }
};

}  // namespace tesmara
