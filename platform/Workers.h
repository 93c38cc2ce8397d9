// Worker threads of one window. The system starts workers and never waits for them; we add an
// orderly end so that closing the window while a worker runs cannot crash: the window asks the
// workers to stop, keeps serving their sent messages, and joins them before it frees anything.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tesmara {

class WorkerGroup {
  public:
    // Makes the thread that runs `body`; may throw std::system_error like std::thread does.
    using ThreadStarter = std::thread (*)(std::function<void()> body);

    WorkerGroup() = default;
    WorkerGroup(const WorkerGroup&) = delete;
    WorkerGroup& operator=(const WorkerGroup&) = delete;
    ~WorkerGroup();  // requests stop and joins

    // Runs `work` on a new thread, after joining the workers that have finished. Exceptions never
    // leave the thread. False (and nothing counted as running) when no thread could be started.
    bool Start(std::function<void()> work);

    // Workers poll this in their loops and between steps and return early when it is set.
    bool StopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }

    // Number of workers that have not finished yet.
    int Running() const { return m_running.load(); }
    // Number of threads started and not joined yet, finished or not.
    size_t Unjoined();

    // Joins every finished or unfinished worker (blocks until all have returned).
    void JoinAll();

    // Replaces how threads are made (tests use one that fails).
    void SetThreadStarter(ThreadStarter starter) { m_starter = starter; }

  private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    ThreadStarter m_starter = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_running{0};
    std::mutex m_lock;
    std::vector<Worker> m_threads;
};

}  // namespace tesmara
