// Handles of logins and upgrades: 32-bit, never 0, never reused while the process runs (they
// count up; after 2^31 - 1 handles no more are given out), and looked up under a lock so that
// a stale or foreign handle is just an error.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace quorn {

class Session;
class Upgrade;

class Registry {
  public:
    // `last`: the handle counted before the first one handed out.
    explicit Registry(int32_t last = 0) : last_(last) {}

    // 0 when every handle has been handed out.
    int32_t AddSession(std::shared_ptr<Session> session);
    int32_t AddUpgrade(std::shared_ptr<Upgrade> upgrade);
    std::shared_ptr<Session> FindSession(int32_t handle);
    std::shared_ptr<Upgrade> FindUpgrade(int32_t handle);
    std::shared_ptr<Session> TakeSession(int32_t handle);
    std::shared_ptr<Upgrade> TakeUpgrade(int32_t handle);

  private:
    int32_t NextHandle();

    std::mutex mutex_;
    int32_t last_;
    std::unordered_map<int32_t, std::shared_ptr<Session>> sessions_;
    std::unordered_map<int32_t, std::shared_ptr<Upgrade>> upgrades_;
};

Registry& Handles();

}  // namespace quorn
