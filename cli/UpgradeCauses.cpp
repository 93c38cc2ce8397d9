#include "cli/UpgradeCauses.h"

namespace tesmara::cli {

std::string FailureText(int32_t code) {
    switch (code) {
        case 11:
            return "invalid handle";
        case 12:
            return "invalid argument";
        case 13:
            return "no answer in time";
        case 14:
            return "connection lost";
        case 15:
            return "malformed frame or payload";
        case 16:
            return "file cannot be opened";
        case 17:
            return "file cannot be read";
        case 18:
            return "file too large";
        case 19:
            return "not allowed now";
        case 21:
            return "wrong size";
        case 22:
            return "device could not apply it";
        case 24:
            return "firmware image is for another model";
        case 25:
            return "firmware checksum wrong";
        case 26:
            return "device busy with another upgrade";
        case 30:
            return "out of resources";
        default:
            return "code " + std::to_string(code);
    }
}

int32_t UpgradeCauses::CauseOf(const void* user) {
    std::lock_guard lock(m_mutex);
    auto found = m_causes.find(user);
    return found == m_causes.end() ? 0 : found->second;
}

int32_t UpgradeCauses::DevUpgrade(int32_t login, const char* path, DevProgressCallback progress,
                                  void* user) {
    auto relay = std::make_unique<Relay>(Relay{this, progress, user});
    // No callback comes before DevUpgradeStart, so the relay may be filed after this call.
    const int32_t upgrade =
        m_inner.DevUpgrade(login, path, &UpgradeCauses::OnProgress, relay.get());
    std::lock_guard lock(m_mutex);
    m_causes.erase(user);
    if (upgrade != 0) m_relays[upgrade] = std::move(relay);
    return upgrade;
}

int32_t UpgradeCauses::DevCloseUpgrade(int32_t upgrade) {
    const int32_t result = m_inner.DevCloseUpgrade(upgrade);
    // No callback follows the close: the relay can go.
    std::lock_guard lock(m_mutex);
    m_relays.erase(upgrade);
    return result;
}

void UpgradeCauses::OnProgress(int32_t first, int32_t second, int32_t total, int32_t current,
                               void* user) {
    auto* relay = static_cast<Relay*>(user);
    if (total == 0 && current == -2) {
        // Read at once, on this thread, before anything else can call into the library here.
        const int32_t cause = relay->owner->m_inner.DevGetLastError();
        std::lock_guard lock(relay->owner->m_mutex);
        relay->owner->m_causes[relay->user] = cause;
    }
    if (relay->progress) relay->progress(first, second, total, current, relay->user);
}

}  // namespace tesmara::cli
