#include "platform/PostedWork.h"

namespace tesmara {

void WorkQueue::Post(Work work) {
    bool wasEmpty;
    {
        std::lock_guard hold(m_lock);
        wasEmpty = m_queue.empty();
        m_queue.push_back(std::move(work));
    }
    m_changed.notify_all();
    if (wasEmpty && m_wake) m_wake();
}

size_t WorkQueue::Drain() {
    size_t ran = 0;
    for (;;) {
        std::vector<Work> batch;
        {
            std::lock_guard hold(m_lock);
            batch.swap(m_queue);
        }
        if (batch.empty()) return ran;
        for (Work& work : batch) {
            work();
            ++m_served;
        }
        ran += batch.size();
    }
}

void WorkQueue::ServeUntil(const std::function<bool()>& done) {
    for (;;) {
        Drain();
        std::unique_lock hold(m_lock);
        const unsigned seen = m_notified;
        hold.unlock();
        if (done()) return;
        hold.lock();
        m_changed.wait(hold, [&] { return !m_queue.empty() || m_notified != seen; });
    }
}

void WorkQueue::Notify() {
    {
        std::lock_guard hold(m_lock);
        ++m_notified;
    }
    m_changed.notify_all();
}

}  // namespace tesmara
