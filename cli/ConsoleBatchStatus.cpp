#include "cli/ConsoleBatchStatus.h"

#include "batch/BatchJob.h"
#include "platform/PostedWork.h"
#include "platform/Text.h"

namespace tesmara::cli {

ConsoleBatchStatus::ConsoleBatchStatus(std::vector<DeviceOutcome>& devices, BatchDisplay& display,
                                       WorkQueue& owner)
    : m_devices(devices),
      m_display(display),
      m_owner(owner),
      m_states(devices.size()),
      m_firstLine(devices.size()) {}

DeviceOutcome* ConsoleBatchStatus::OutcomeOf(const BatchDevice& device) {
    const auto i = static_cast<size_t>(device.row);
    return device.row >= 0 && i < m_devices.size() ? &m_devices[i] : nullptr;
}

void ConsoleBatchStatus::Draw() {
    m_display.Update(m_log, m_states, m_devices, m_tally);
}

void ConsoleBatchStatus::RunStarted(const BatchTally& tally) {
    std::lock_guard hold(m_lock);
    m_tally = tally;
}

void ConsoleBatchStatus::Line(const BatchDevice* device, std::wstring_view text,
                              StatusColour colour) {
    std::lock_guard hold(m_lock);
    m_log.push_back({std::wstring(text), colour});
    if (DeviceOutcome* outcome = device ? OutcomeOf(*device) : nullptr) {
        const auto now = std::chrono::steady_clock::now();
        auto& first = m_firstLine[static_cast<size_t>(device->row)];
        if (outcome->lastLine.empty()) first = now;
        outcome->lastLine = WideToUtf8(text);
        outcome->seconds = std::chrono::duration<double>(now - first).count();
    }
    Draw();
}

void ConsoleBatchStatus::Progress(const BatchDevice& device, std::wstring_view text) {
    std::lock_guard hold(m_lock);
    if (OutcomeOf(device)) m_states[static_cast<size_t>(device.row)] = text;
    Draw();
}

void ConsoleBatchStatus::DeviceFinished(const BatchDevice& device, bool succeeded, int32_t cause) {
    std::lock_guard hold(m_lock);
    DeviceOutcome* outcome = OutcomeOf(device);
    if (!outcome) return;
    outcome->finished = true;
    outcome->succeeded = succeeded;
    ++(succeeded ? m_tally.success : m_tally.fail);
    if (cause != 0) outcome->cause = FailureText(cause) + " (" + std::to_string(cause) + ")";
    if (m_told) m_told(*outcome);
}

void ConsoleBatchStatus::DeviceNotStarted(const BatchDevice& device) {
    std::lock_guard hold(m_lock);
    DeviceOutcome* outcome = OutcomeOf(device);
    if (!outcome) return;
    outcome->notStarted = true;
    ++m_tally.notStarted;
    if (m_told) m_told(*outcome);
}

void ConsoleBatchStatus::RunFinished(const BatchTally& tally, const char* completion) {
    {
        std::lock_guard hold(m_lock);
        m_tally = tally;
        ++m_finishes;
        if (completion) m_completions.push_back(Utf8ToWide(completion));
    }
    m_owner.Notify();
}

bool ConsoleBatchStatus::Finished() {
    std::lock_guard hold(m_lock);
    return m_finishes > 0;
}

void ConsoleBatchStatus::FinishDisplay() {
    std::lock_guard hold(m_lock);
    m_display.Finish(m_log, m_states, m_devices, m_tally);
}

}  // namespace tesmara::cli
