#include "devaccess/DeviceAccessFactory.h"

#include "devaccess/PlaceholderDeviceAccess.h"

namespace tesmara {

std::unique_ptr<DeviceAccess> CreateDeviceAccess() {
    return std::make_unique<PlaceholderDeviceAccess>();
}

}  // namespace tesmara
