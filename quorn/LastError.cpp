#include "quorn/LastError.h"

namespace quorn {
namespace {

thread_local int32_t t_lastError = 0;

}  // namespace

void SetLastError(int32_t status) {
    t_lastError = status;
}

int32_t LastError() {
    return t_lastError;
}

}  // namespace quorn
