// The one way from any thread to the thread that owns a window or a run: work is posted, never
// sent, so that a library thread never waits for an owner that may itself be waiting for the
// library. Only the owner runs what was posted, in the order it was posted.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace tesmara {

using Work = std::function<void()>;

class WorkPoster {
  public:
    virtual ~WorkPoster() = default;
    // Queues `work` for the owner and returns at once; any thread.
    virtual void Post(Work work) = 0;
};

// The queue behind a poster. `wake`, when given, is called (on the posting thread) each time work
// lands in an empty queue: the window posts itself one private message then.
class WorkQueue : public WorkPoster {
  public:
    explicit WorkQueue(std::function<void()> wake = {}) : m_wake(std::move(wake)) {}

    void Post(Work work) override;

    // Owner only: runs what is queued, including work posted meanwhile; the count run.
    size_t Drain();

    // Owner only: runs posted work as it comes until `done()` holds after a wake-up. Nothing
    // polls: the owner sleeps until work is posted or Notify is called.
    void ServeUntil(const std::function<bool()>& done);

    // Any thread: makes ServeUntil look at `done()` again.
    void Notify();

    // How much posted work the owner has run so far.
    uint64_t Served() const { return m_served.load(); }

  private:
    std::function<void()> m_wake;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Work> m_queue;
    unsigned m_notified = 0;
    std::atomic<uint64_t> m_served{0};
};

}  // namespace tesmara
