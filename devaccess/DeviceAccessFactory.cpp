#include "devaccess/DeviceAccessFactory.h"

#include "devaccess/QuornDeviceAccess.h"

namespace tesmara {

std::unique_ptr<DeviceAccess> CreateDeviceAccess() {
    return std::make_unique<QuornDeviceAccess>();
}

}  // namespace tesmara
