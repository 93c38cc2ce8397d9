#include "batch/BatchRun.h"

#include <algorithm>
#include <chrono>

#include "batch/ConfigImportWorker.h"
#include "batch/PcClockTime.h"
#include "batch/TimeSyncWorker.h"
#include "batch/UpgradeProgress.h"
#include "batch/UpgradeWorkers.h"
#include "devaccess/DeviceAccess.h"
#include "devaccess/DeviceTime.h"
#include "devaccess/LoginMessages.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/PostedWork.h"
#include "platform/Text.h"

namespace tesmara {
namespace {

// Long waits are cut into steps so that a closing window is not held up by a restart wait.
constexpr uint32_t kPauseStepMs = 100;

using Worker = void (*)(BatchRun&);

Worker WorkerOf(BatchKind kind) {
    switch (kind) {
        case BatchKind::kSyncTime:
            return TimeSyncWorker;
        case BatchKind::kUpgrade:
            return FirmwareUpgradeWorker;
        case BatchKind::kConfigure:
            return ConfigImportWorker;
        case BatchKind::kUpgradeConfigure:
            break;
    }
    return UpgradeConfigWorker;
}

}  // namespace

std::string AddressArg(const std::string& ansiAddress) {
    return AnsiToUtf8(ansiAddress);
}

BatchRun::BatchRun(BatchJob job, BatchPorts ports)
    : m_job(std::move(job)),
      m_access(ports.access),
      m_clock(ports.clock),
      m_owner(ports.owner),
      m_status(ports.status),
      m_transfers(m_job.devices.size()),
      m_running(m_job.devices.size(), false) {
    for (size_t i = 0; i < m_transfers.size(); ++i) m_transfers[i] = {this, i};
}

BatchRun::~BatchRun() {
    Stop();
}

void BatchRun::StartCounting() {
    m_counters.Start(static_cast<int32_t>(m_job.devices.size()));
    m_status.RunStarted(m_counters.Tally());
}

bool BatchRun::Start() {
    StartCounting();
    const Worker worker = WorkerOf(m_job.kind);
    const bool started = m_workers.Start([this, worker] {
        try {
            worker(*this);
        } catch (...) {
            // Its devices will never be counted: the run ends here, or its owner waits for ever.
            m_counters.End();
            m_status.Line(nullptr, L"Worker stopped by an internal error!", StatusColour::kFailure);
            m_status.RunFinished(m_counters.Tally(), nullptr);
        }
    });
    if (!started) {
        m_counters.End();
        m_status.Line(nullptr, L"Worker could not be started!", StatusColour::kFailure);
        m_status.RunFinished(m_counters.Tally(), nullptr);
    }
    return started;
}

void BatchRun::Stop() {
    m_workers.RequestStop();
    m_workers.JoinAll();
    std::vector<Transfer> open;
    {
        std::lock_guard hold(m_transferLock);
        for (Transfer& transfer : m_transfers) {
            if (!transfer.open) continue;
            transfer.open = false;
            open.push_back(transfer);
        }
    }
    // After this the library calls back no more: nothing posts to an owner that is going away.
    for (const Transfer& transfer : open) {
        m_access.DevCloseUpgrade(transfer.upgrade);
        m_access.DevLogout(transfer.login);
    }
}

bool BatchRun::Pause(uint32_t ms) {
    while (ms > 0) {
        if (StopRequested()) return false;
        const uint32_t step = std::min(ms, kPauseStepMs);
        m_clock.SleepMs(step);
        ms -= step;
    }
    return !StopRequested();
}

void BatchRun::Line(size_t i, StatusColour colour, const char* format) {
    Line(i, colour, FormatUi(format, AddressArg(Device(i).address).c_str()));
}

void BatchRun::Line(size_t i, StatusColour colour, const char* format, int32_t number) {
    Line(i, colour, FormatUi(format, AddressArg(Device(i).address).c_str(), number));
}

void BatchRun::Line(size_t i, StatusColour colour, std::wstring_view text) {
    m_status.Line(&Device(i), text, colour);
}

void BatchRun::Progress(size_t i, std::wstring_view text) {
    m_status.Progress(Device(i), text);
}

bool BatchRun::Admit(size_t i) {
    const int limit = m_job.parallel;
    std::unique_lock hold(m_admitLock);
    for (;;) {
        if (StopRequested()) return false;
        if (m_job.stopAfterFailures > 0 && m_failures >= m_job.stopAfterFailures) {
            hold.unlock();
            LeaveNotStarted(i);
            return false;
        }
        if (limit <= 0 || m_runningCount < limit) break;
        // Woken by the count that frees a place; the timeout only notices a closing window.
        m_placeFree.wait_for(hold, std::chrono::milliseconds(kPauseStepMs));
    }
    m_running[i] = true;
    ++m_runningCount;
    return true;
}

void BatchRun::LeaveNotStarted(size_t from) {
    for (size_t i = from; i < m_job.devices.size(); ++i) {
        m_status.DeviceNotStarted(Device(i));
        m_counters.RecordNotStarted();
    }
}

void BatchRun::Settle(size_t i, bool succeeded) {
    {
        std::lock_guard hold(m_admitLock);
        if (!succeeded) ++m_failures;
        if (m_running[i]) {
            m_running[i] = false;
            --m_runningCount;
        }
    }
    m_placeFree.notify_all();
}

bool BatchRun::Count(size_t i, bool succeeded, int32_t cause) {
    m_status.DeviceFinished(Device(i), succeeded, cause);
    // Settled before the count: the count may end the run and let its owner go.
    Settle(i, succeeded);
    return succeeded ? m_counters.CountSuccess() : m_counters.CountFailure();
}

void BatchRun::Record(size_t i, bool succeeded) {
    m_status.DeviceFinished(Device(i), succeeded, 0);
    Settle(i, succeeded);
    m_counters.Record(succeeded);
}

void BatchRun::Finish(const char* completion) {
    if (StopRequested()) return;
    m_status.RunFinished(m_counters.Tally(), completion);
}

DeviceSession BatchRun::Login(size_t i, int32_t& error) {
    DeviceSession session(m_access);
    session.Login(Device(i).address, Device(i).port, m_job.user, m_job.password, error);
    return session;
}

bool BatchRun::RefuseConflicting(size_t i) {
    if (!Device(i).conflicting) return false;
    Line(i, StatusColour::kFailure, kConflictingDeviceLine);
    return true;
}

bool BatchRun::SetClockFirst(size_t i, DeviceSession& session) {
    if (!SendDeviceTime(m_access, session.Handle(), DeviceTimeFromPcClock())) {
        const int32_t error = session.LastError();
        Line(i, StatusColour::kFailure, "[%s]同步时间失败！Error = %d", error);
        session.Logout();
        return false;
    }
    Pause(kSettlePauseMs);
    return true;
}

DeviceSession BatchRun::OpenForMainStep(size_t i) {
    if (RefuseConflicting(i)) return DeviceSession(m_access);
    int32_t error = 0;
    DeviceSession session = Login(i, error);
    if (!session.IsOpen()) {
        Line(i, StatusColour::kFailure,
             EnglishLoginFailureLine(AnsiToWide(Device(i).address), error));
        return session;
    }
    if (m_job.clockFirst && !SetClockFirst(i, session)) return DeviceSession(m_access);
    return session;
}

void BatchRun::OpenTransfer(size_t i, int32_t login, int32_t upgrade) {
    std::lock_guard hold(m_transferLock);
    m_transfers[i].login = login;
    m_transfers[i].upgrade = upgrade;
    m_transfers[i].open = true;
}

int32_t BatchRun::CloseTransfer(size_t i) {
    Transfer closing;
    {
        std::lock_guard hold(m_transferLock);
        closing = m_transfers[i];
        m_transfers[i].open = false;
    }
    if (closing.open) m_access.DevCloseUpgrade(closing.upgrade);
    return closing.login;
}

void BatchRun::PostProgress(Transfer& transfer, int32_t value, int32_t cause) {
    std::shared_ptr<BatchRun> self = shared_from_this();
    const size_t i = transfer.device;
    m_owner.Post([self, i, value, cause] { OnUpgradeProgress(*self, i, value, cause); });
}

bool BatchRun::StartChain(void (*chain)(BatchRun&, size_t), size_t i) {
    return m_workers.Start([this, chain, i] { chain(*this, i); });
}

}  // namespace tesmara
