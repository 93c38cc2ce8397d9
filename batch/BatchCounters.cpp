#include "batch/BatchCounters.h"

namespace tesmara {

void BatchCounters::Start(int32_t total) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_total = total;
    m_success = 0;
    m_fail = 0;
    m_notStarted = 0;
    m_ended = false;
}

bool BatchCounters::Count(bool succeeded, bool mayEnd) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++(succeeded ? m_success : m_fail);
    if (!mayEnd || m_ended || m_success + m_fail + m_notStarted < m_total) return false;
    m_ended = true;
    return true;
}

void BatchCounters::RecordNotStarted() {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_notStarted;
}

bool BatchCounters::EndIfComplete() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_ended || m_success + m_fail + m_notStarted < m_total) return false;
    m_ended = true;
    return true;
}

bool BatchCounters::End() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_ended) return false;
    m_ended = true;
    return true;
}

bool BatchCounters::Ended() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_ended;
}

BatchTally BatchCounters::Tally() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return BatchTally{m_total, m_success, m_fail, m_notStarted};
}

}  // namespace tesmara
