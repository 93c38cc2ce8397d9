// The counters of a batch run and the decision that the run has ended. In an upgrade run the
// worker, the window's progress handlers and the chain threads all count outcomes; every count
// and the completion test happen under one lock, so that no count is lost and exactly one of
// those parties learns that the run is over.
#pragma once

#include <cstdint>
#include <mutex>

namespace tesmara {

struct BatchTally {
    int32_t total = 0;
    int32_t success = 0;
    int32_t fail = 0;
    int32_t notStarted = 0;  // left out once the job's failure limit was reached
};

class BatchCounters {
  public:
    // Starts a run over `total` devices with no outcome counted.
    void Start(int32_t total);

    // Counts one device's outcome. True for exactly one call per run: the one whose count makes
    // success + fail (+ those not started) reach the total. Counts after that are kept but never
    // end the run again.
    bool CountSuccess() { return Count(true, true); }
    bool CountFailure() { return Count(false, true); }

    // Counts without the completion test, for the workers that end their run themselves once
    // they have visited the last row.
    void Record(bool succeeded) { Count(succeeded, false); }
    // Counts a device that will not be started, without the completion test.
    void RecordNotStarted();

    // The completion test alone: ends the run when every device has been counted. True when
    // this call ended it.
    bool EndIfComplete();
    // Ends the run whatever the counts. True when this call ended it.
    bool End();

    // Before the first run, and once a run has ended, nothing is running.
    bool Ended() const;
    BatchTally Tally() const;

  private:
    bool Count(bool succeeded, bool mayEnd);

    mutable std::mutex m_lock;
    int32_t m_total = 0;
    int32_t m_success = 0;
    int32_t m_fail = 0;
    int32_t m_notStarted = 0;
    bool m_ended = true;
};

}  // namespace tesmara
