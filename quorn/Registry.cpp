#include "quorn/Registry.h"

#include <cstdint>

namespace quorn {

Registry& Handles() {
    // Never destroyed: library threads may still look handles up while the process exits.
    static Registry* registry = new Registry();
    return *registry;
}

int32_t Registry::NextHandle() {
    if (last_ == INT32_MAX) return 0;
    return ++last_;
}

int32_t Registry::AddSession(std::shared_ptr<Session> session) {
    std::lock_guard lock(mutex_);
    int32_t handle = NextHandle();
    if (handle) sessions_[handle] = std::move(session);
    return handle;
}

int32_t Registry::AddUpgrade(std::shared_ptr<Upgrade> upgrade) {
    std::lock_guard lock(mutex_);
    int32_t handle = NextHandle();
    if (handle) upgrades_[handle] = std::move(upgrade);
    return handle;
}

std::shared_ptr<Session> Registry::FindSession(int32_t handle) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(handle);
    return it == sessions_.end() ? nullptr : it->second;
}

std::shared_ptr<Upgrade> Registry::FindUpgrade(int32_t handle) {
    std::lock_guard lock(mutex_);
    auto it = upgrades_.find(handle);
    return it == upgrades_.end() ? nullptr : it->second;
}

std::shared_ptr<Session> Registry::TakeSession(int32_t handle) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(handle);
    if (it == sessions_.end()) return nullptr;
    auto session = std::move(it->second);
    sessions_.erase(it);
    return session;
}

std::shared_ptr<Upgrade> Registry::TakeUpgrade(int32_t handle) {
    std::lock_guard lock(mutex_);
    auto it = upgrades_.find(handle);
    if (it == upgrades_.end()) return nullptr;
    auto upgrade = std::move(it->second);
    upgrades_.erase(it);
    return upgrade;
}

}  // namespace quorn
