#include "batch/OpenTransfers.h"

namespace tesmara {

void OpenTransfers::Add(OpenTransfer transfer) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_open[transfer.upgrade] = transfer.login;
}

void OpenTransfers::Remove(int32_t upgrade) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_open.erase(upgrade);
}

std::vector<OpenTransfer> OpenTransfers::TakeAll() {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<OpenTransfer> all;
    for (const auto& [upgrade, login] : m_open) all.push_back({upgrade, login});
    m_open.clear();
    return all;
}

}  // namespace tesmara
