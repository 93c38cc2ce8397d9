#include "platform/Workers.h"

namespace tesmara {

WorkerGroup::~WorkerGroup() {
    RequestStop();
    JoinAll();
}

void WorkerGroup::Start(std::function<void()> work) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_running;
    m_threads.emplace_back([this, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            // A worker reports through the status log; nothing may escape its thread.
        }
        --m_running;
    });
}

void WorkerGroup::JoinAll() {
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        threads.swap(m_threads);
    }
    for (std::thread& t : threads) {
        if (t.joinable()) t.join();
    }
}

}  // namespace tesmara
