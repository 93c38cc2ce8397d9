// A batch run over scripted device access, a fake clock and a recording view: a table of devices
// at 10.0.0.1, 10.0.0.2, ..., the window's presenter writing into the view, the run's typed
// events recorded beside it, and a loop that plays the owner's thread (runs the posted progress)
// until the run's threads have all ended.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/MainDialogState.h"
#include "tests/support/FakeClock.h"
#include "tests/support/InMemoryNetwork.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/support/ScriptedDialogs.h"

namespace tesmara::testing {

// The window's presenter, and the typed events as they came.
class RecordingBatchStatus final : public BatchStatus {
  public:
    explicit RecordingBatchStatus(MainView& view) : m_window(view) {}
    void RunStarted(const BatchTally& tally) override { m_window.RunStarted(tally); }
    void Line(const BatchDevice* device, std::wstring_view text, StatusColour colour) override {
        m_window.Line(device, text, colour);
    }
    void Progress(const BatchDevice& device, std::wstring_view text) override {
        m_window.Progress(device, text);
    }
    void DeviceFinished(const BatchDevice& device, bool succeeded, int32_t cause) override;
    void DeviceNotStarted(const BatchDevice& device) override;
    void RunFinished(const BatchTally& tally, const char* completion) override;

    struct Finish {
        bool succeeded;
        int32_t cause;
    };
    std::map<int, std::vector<Finish>> finishes;  // by the device's row
    std::vector<int> notStarted;                  // rows
    int runFinishes = 0;

  private:
    WindowBatchStatus m_window;
    std::mutex m_lock;
};

struct BatchBench {
    BatchBench();
    ~BatchBench();

    // Appends `count` devices (ticked, and so in the job, or not) to the list and the table.
    void AddDevices(int count, bool ticked = true);
    static std::string AddressOf(int index);  // "10.0.0.<index + 1>"

    // The run of `kind` over the job, counting, with no worker started: for driving the progress
    // handling and the chains by hand.
    BatchRun& Prepare(BatchKind kind);
    // Starts the run as "Start" would, then serves posted progress until every thread is done.
    void Run(BatchKind kind);
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
    RecordingBatchStatus status{view};
    MainDialogState dialog{view, dialogs, network, clock, access};
    BatchJob job;  // keepOwnAddress off, clock not first: set them before Prepare or Run
};

// The smallest image the library takes (a sound header), cut or grown (sparsely) to `size`.
std::string WriteImageFile(const std::string& path, uintmax_t size = 160);

}  // namespace tesmara::testing
