// The failure DevGetLastError reports: one per thread. The upgrade thread sets it before the
// final callback so that the callback can learn why an upgrade failed.
#pragma once

#include <cstdint>

namespace quorn {

void SetLastError(int32_t status);
int32_t LastError();

}  // namespace quorn
