// One firmware upgrade: streams the file to the device within the window the device grants,
// reports progress through the caller's callback and ends in exactly one final state.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "quorn/Frame.h"
#include "quorn/quorn.h"

namespace quorn {

class Session;

class Upgrade : public std::enable_shared_from_this<Upgrade> {
  public:
    // Takes ownership of `file`, already open, of `size` bytes.
    Upgrade(std::shared_ptr<Session> session, int32_t login, std::FILE* file, uint64_t size,
            QuornProgressCallback progress, void* user);
    ~Upgrade();

    void SetHandle(int32_t handle) { handle_ = handle; }
    // Asks the device to take the image and starts sending. Returns a status.
    int32_t Start();
    // No more callbacks after this returns (unless one is already running on this thread).
    void Close();

    // Reader thread of the session.
    void OnDeviceFrame(const Frame& frame);
    void OnSessionLost();

  private:
    void SendLoop();
    void Report(int32_t total, int32_t current);
    void Finish(bool done);

    std::shared_ptr<Session> session_;
    int32_t login_;
    int32_t handle_ = 0;
    std::FILE* file_;
    uint64_t size_;
    QuornProgressCallback progress_;
    void* user_;
    uint32_t requestId_ = 0;

    std::mutex mutex_;  // window and state
    std::condition_variable changed_;
    uint64_t acked_ = 0;
    uint64_t window_ = 0;
    bool started_ = false;
    bool stopping_ = false;

    std::recursive_mutex reportMutex_;  // callbacks in order, none after final or close
    bool final_ = false;
    bool closed_ = false;
    std::thread sender_;
};

}  // namespace quorn
