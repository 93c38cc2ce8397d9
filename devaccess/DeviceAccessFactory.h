// The device-access implementation the application runs with.
#pragma once

#include <memory>

#include "devaccess/DeviceAccess.h"

namespace tesmara {

std::unique_ptr<DeviceAccess> CreateDeviceAccess();

}  // namespace tesmara
