// The firmware transfers of the current run that the library still runs: opened by the upgrade
// workers, closed by the progress handlers on their final state. Whatever is left when the window
// closes is closed then, so that the library stops calling back into a window that is gone.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace tesmara {

struct OpenTransfer {
    int32_t upgrade = 0;
    int32_t login = 0;
};

class OpenTransfers {
  public:
    void Add(OpenTransfer transfer);
    void Remove(int32_t upgrade);
    std::vector<OpenTransfer> TakeAll();

  private:
    std::mutex m_lock;
    std::map<int32_t, int32_t> m_open;  // upgrade handle -> login handle
};

}  // namespace tesmara
