#include "platform/Workers.h"

namespace tesmara {

WorkerGroup::~WorkerGroup() {
    RequestStop();
    JoinAll();
}

bool WorkerGroup::Start(std::function<void()> work) {
    std::lock_guard<std::mutex> hold(m_lock);
    // Reap the workers that have returned, so that a long session does not keep one stack per
    // search it ever ran.
    for (auto it = m_threads.begin(); it != m_threads.end();) {
        if (it->finished->load()) {
            if (it->thread.joinable()) it->thread.join();
            it = m_threads.erase(it);
        } else {
            ++it;
        }
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::function<void()> body = [this, finished, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            // A worker reports through the status log; nothing may escape its thread.
        }
        // Finished before no longer running, so that whoever saw the count drop can reap it.
        finished->store(true);
        --m_running;
    };
    m_threads.reserve(m_threads.size() + 1);  // so that a started thread is always kept
    ++m_running;
    try {
        std::thread thread = m_starter ? m_starter(std::move(body)) : std::thread(std::move(body));
        m_threads.push_back(Worker{std::move(thread), std::move(finished)});
    } catch (...) {  // std::system_error: no thread could be made
        --m_running;
        return false;
    }
    return true;
}

size_t WorkerGroup::Unjoined() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_threads.size();
}

void WorkerGroup::JoinAll() {
    std::vector<Worker> threads;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        threads.swap(m_threads);
    }
    for (Worker& worker : threads) {
        if (worker.thread.joinable()) worker.thread.join();
    }
}

}  // namespace tesmara
