// The console's presenter of a batch run: fills each device's outcome, cause, last line and
// seconds from the run's events, keeps the run's lines and its completion, draws the live
// display, and wakes the console's owner loop when the run has finished.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "batch/BatchStatus.h"
#include "cli/BatchDisplay.h"
#include "cli/BatchReport.h"
#include "view/InMemoryMainView.h"

namespace tesmara {
class WorkQueue;
}

namespace tesmara::cli {

class ConsoleBatchStatus final : public BatchStatus {
  public:
    // devices[i] is the job's device i (the console's jobs number their devices' rows 0, 1 ...).
    ConsoleBatchStatus(std::vector<DeviceOutcome>& devices, BatchDisplay& display,
                       WorkQueue& owner);

    void RunStarted(const BatchTally& tally) override;
    void Line(const BatchDevice* device, std::wstring_view text, StatusColour colour) override;
    void Progress(const BatchDevice& device, std::wstring_view text) override;
    void DeviceFinished(const BatchDevice& device, bool succeeded, int32_t cause) override;
    void DeviceNotStarted(const BatchDevice& device) override;
    void RunFinished(const BatchTally& tally, const char* completion) override;

    // Told of each device's outcome the moment it is known, on the run's threads (one at a time).
    void OnOutcome(std::function<void(const DeviceOutcome&)> told) { m_told = std::move(told); }

    // Once the owner loop is done with the run (no event comes any more).
    bool Finished();
    int Finishes() const { return m_finishes; }
    BatchTally Tally() const { return m_tally; }
    const std::vector<std::wstring>& Completions() const { return m_completions; }
    const std::vector<StatusLine>& Log() const { return m_log; }
    // The live part gives way to the last lines and the counters.
    void FinishDisplay();

  private:
    DeviceOutcome* OutcomeOf(const BatchDevice& device);
    void Draw();

    std::vector<DeviceOutcome>& m_devices;
    std::function<void(const DeviceOutcome&)> m_told;
    BatchDisplay& m_display;
    WorkQueue& m_owner;
    std::mutex m_lock;
    BatchTally m_tally;
    int m_finishes = 0;
    std::vector<std::wstring> m_completions;
    std::vector<StatusLine> m_log;
    std::vector<std::wstring> m_states;  // each device's "Upgrade Status" text
    std::vector<std::chrono::steady_clock::time_point> m_firstLine;
};

}  // namespace tesmara::cli
