// The virtual recorders one devsim process simulates. The set of devices is fixed once the fleet
// is built (so iterating it needs no lock); each device guards its own state (SimDevice).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "devsim/model/SimDevice.h"

namespace tesmara::devsim {

class Fleet {
  public:
    Fleet() = default;
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;
    Fleet(Fleet&&) = default;
    Fleet& operator=(Fleet&&) = default;

    // Only while building, before any server runs.
    SimDevice& Add(DeviceState state, DeviceBehaviour behaviour = {}) {
        m_devices.push_back(std::make_unique<SimDevice>(std::move(state), behaviour));
        return *m_devices.back();
    }

    size_t Size() const { return m_devices.size(); }
    SimDevice& At(size_t index) { return *m_devices[index]; }
    const SimDevice& At(size_t index) const { return *m_devices[index]; }

    // The device with this MAC, or null.
    SimDevice* FindByMac(const MacBytes& mac) {
        for (auto& device : m_devices) {
            if (device->Mac() == mac) return device.get();
        }
        return nullptr;
    }

    // The first online device whose current address text is `address`, or null (the session
    // server uses it to tell which recorder a connection was made to).
    SimDevice* FindByAddress(const std::string& address) {
        for (auto& device : m_devices) {
            bool match =
                device->Update([&](DeviceState& s) { return s.online && s.address == address; });
            if (match) return device.get();
        }
        return nullptr;
    }

    template <class Visit>
    void ForEach(Visit&& visit) {
        for (auto& device : m_devices) visit(*device);
    }

  private:
    std::vector<std::unique_ptr<SimDevice>> m_devices;
};

}  // namespace tesmara::devsim
