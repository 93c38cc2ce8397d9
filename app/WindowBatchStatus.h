// The window's presenter of a batch run: status lines into the log, "Upgrade Status" into the
// table, the three counter labels, the completion box, and the window disabled for the run and
// enabled again at its end.
#pragma once

#include "batch/BatchStatus.h"

namespace tesmara {

class DialogView;
class MainView;

// Totals, Success and Fail, each as "%d".
void ShowCounters(DialogView& view, const BatchTally& tally);

class WindowBatchStatus final : public BatchStatus {
  public:
    explicit WindowBatchStatus(MainView& view) : m_view(view) {}

    void RunStarted(const BatchTally& tally) override;
    void Line(const BatchDevice* device, std::wstring_view text, StatusColour colour) override;
    void Progress(const BatchDevice& device, std::wstring_view text) override;
    void DeviceFinished(const BatchDevice&, bool, int32_t) override {}
    void RunFinished(const BatchTally& tally, const char* completion) override;

  private:
    MainView& m_view;
};

}  // namespace tesmara
