// One batch run: the job, its counters, the firmware transfers the library still runs, the chain
// threads that follow devices through their restart, and every thread of the run. The workers
// and chains are functions of the run; they report only through its BatchStatus, and the
// library's callbacks reach the run on the owner's thread through its WorkPoster.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "batch/BatchCounters.h"
#include "batch/BatchJob.h"
#include "batch/BatchStatus.h"
#include "devaccess/DeviceSession.h"
#include "platform/Workers.h"

namespace tesmara {

class Clock;
class DeviceAccess;
class WorkPoster;

// Completion boxes (information icon, empty caption).
inline constexpr char kOperateCompleted[] = "Operate completed!";
inline constexpr char kOperationCompleted[] = "Operation completed!";
inline constexpr char kOperateCompletedZh[] = "操作完成！";

// The 200 ms pause after a device's clock was set or its configuration imported.
constexpr uint32_t kSettlePauseMs = 200;

// The red line for a device that two hosts answered for (the run does not log in to it).
inline constexpr char kConflictingDeviceLine[] =
    "[%s] login refused! Two devices answer with this MAC";

// A device's address (ANSI code page) as the UTF-8 argument of a line's "%s".
std::string AddressArg(const std::string& ansiAddress);

struct BatchPorts {
    DeviceAccess& access;
    Clock& clock;
    WorkPoster& owner;  // runs the library's progress on the owner's thread
    BatchStatus& status;
};

class BatchRun : public std::enable_shared_from_this<BatchRun> {
  public:
    // The library's record of one device's firmware transfer: the user data of its callbacks.
    struct Transfer {
        BatchRun* run = nullptr;
        size_t device = 0;
        int32_t login = 0;
        int32_t upgrade = 0;
        bool open = false;
    };

    BatchRun(BatchJob job, BatchPorts ports);
    ~BatchRun();  // Stop()
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // Owner's thread: starts the counters (RunStarted) and the worker of the job's kind. False
    // when its thread could not be made: a red line, and the run ends without a completion box.
    bool Start();
    // The counting alone (RunStarted included), which Start does before its worker starts.
    void StartCounting();
    // For a closing window: no event is finished any more; every open transfer is closed and its
    // device logged out, and the run's threads are joined. Serve what the threads send to the
    // owner before calling it (RequestStop, then wait for Running() to reach 0).
    void RequestStop() { m_workers.RequestStop(); }
    void Stop();
    bool Ended() const { return m_counters.Ended(); }
    int Running() const { return m_workers.Running(); }
    void JoinAll() { m_workers.JoinAll(); }
    BatchTally Tally() const { return m_counters.Tally(); }

    // What the workers and chains use.
    const BatchJob& Job() const { return m_job; }
    const BatchDevice& Device(size_t i) const { return m_job.devices[i]; }
    DeviceAccess& Access() { return m_access; }
    WorkerGroup& Workers() { return m_workers; }
    bool StopRequested() const { return m_workers.StopRequested(); }
    // Waits `ms` on the run's clock in short steps; false (at once) when the window is closing.
    bool Pause(uint32_t ms);

    // A line about device `i`: `format` with its address and, when given, one number.
    void Line(size_t i, StatusColour colour, const char* format);
    void Line(size_t i, StatusColour colour, const char* format, int32_t number);
    void Line(size_t i, StatusColour colour, std::wstring_view text);
    void Progress(size_t i, std::wstring_view text);

    // Before device `i` starts: waits while the job's number of devices at once is running.
    // False when no device may start any more: the window is closing, or the job's failure
    // limit was reached (device `i` and those after it are then reported and counted as not
    // started).
    bool Admit(size_t i);

    // Counts device `i` (DeviceFinished first). True for the one count that ends the run.
    bool Count(size_t i, bool succeeded, int32_t cause = 0);
    // Counts without the completion test, for the workers that end their run themselves.
    void Record(size_t i, bool succeeded);
    bool EndIfComplete() { return m_counters.EndIfComplete(); }
    bool End() { return m_counters.End(); }
    // The end, said by the one party that ended the run; nothing once the window is closing.
    void Finish(const char* completion);

    // The login with the job's user and password.
    DeviceSession Login(size_t i, int32_t& error);
    // How the upgrade and import workers open a device before their main step: the conflicting
    // refusal, the login (the English login line in red on failure) and the clock step when the
    // job sets clocks first. A closed session when the device already failed.
    DeviceSession OpenForMainStep(size_t i);
    // The clock step alone: true once set (after the 200 ms pause); otherwise the red line
    // "[%s]同步时间失败！Error = %d" and the session logged out.
    bool SetClockFirst(size_t i, DeviceSession& session);
    // True, with the red line, when the run must not log in to device `i`.
    bool RefuseConflicting(size_t i);

    // Transfers: opened by the upgrade workers, closed on their final state or by Stop.
    Transfer& TransferOf(size_t i) { return m_transfers[i]; }
    void OpenTransfer(size_t i, int32_t login, int32_t upgrade);
    // Closes the transfer if it is still open (DevCloseUpgrade); its login stays, and is returned.
    int32_t CloseTransfer(size_t i);
    // From a library thread: hands the mapped progress to OnUpgradeProgress on the owner's thread.
    void PostProgress(Transfer& transfer, int32_t value, int32_t cause);

    // Starts a chain thread for device `i`; false when no thread could be made.
    bool StartChain(void (*chain)(BatchRun&, size_t), size_t i);

  private:
    void LeaveNotStarted(size_t from);
    // Frees device `i`'s place, if it held one, and counts a failure.
    void Settle(size_t i, bool succeeded);

    BatchJob m_job;
    DeviceAccess& m_access;
    Clock& m_clock;
    WorkPoster& m_owner;
    BatchStatus& m_status;
    BatchCounters m_counters;
    std::mutex m_transferLock;
    std::vector<Transfer> m_transfers;  // one per device, never resized: callbacks point in
    // Admission: the devices started and not yet counted, and the failures so far.
    std::mutex m_admitLock;
    std::condition_variable m_placeFree;
    std::vector<bool> m_running;
    int m_runningCount = 0;
    int m_failures = 0;
    // Declared last so that it is destroyed first: its threads use everything above.
    WorkerGroup m_workers;
};

}  // namespace tesmara
