// A main dialog for batch runs: scripted device access, fake clock, recording view and scripted
// dialogs, a table of devices at 10.0.0.1, 10.0.0.2, ... and a loop that plays the window's
// thread (hands posted progress to its handler) until the run's threads have all ended.
#pragma once

#include <string>
#include <vector>

#include "app/MainDialogState.h"
#include "tests/support/FakeClock.h"
#include "tests/support/InMemoryNetwork.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/support/ScriptedDialogs.h"

namespace tesmara::testing {

struct BatchBench {
    BatchBench();
    ~BatchBench();

    // Appends `count` devices (ticked or not) to the list and the table.
    void AddDevices(int count, bool ticked = true);
    static std::string AddressOf(int index);  // "10.0.0.<index + 1>"

    // What "Start" would have set: counters over the ticked rows, slots sized to the rows.
    void PrepareRun();

    // Runs `worker` as "Start" would, then serves posted progress until every thread is done.
    void Run(int (*worker)(MainDialogState*));
    void ServeUntilIdle();

    // Scripts a transfer that ends with `final` (-1 or -2) for the device at `address`.
    void ScriptTransfer(const std::string& address, int32_t final);

    std::vector<std::wstring> Lines();
    std::vector<DevOp> OpsOf(const std::string& address);
    std::vector<std::wstring> BoxTexts();

    FakeClock clock{1000};
    InMemoryNetwork network{clock};
    RecordingMainView view;
    ScriptedDialogs dialogs;
    ScriptedDeviceAccess access;
    MainDialogState dialog{view, dialogs, network, clock, access};
};

// The smallest image the library takes (a sound header), cut or grown (sparsely) to `size`.
std::string WriteImageFile(const std::string& path, uintmax_t size = 160);

}  // namespace tesmara::testing
