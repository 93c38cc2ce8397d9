#include "batch/UpgradeProgress.h"

namespace tesmara {

void OnUpgradeProgress(MainDialogState& /*dialog*/, UpgradeProgressKind /*kind*/,
                       DeviceRow* /*device*/, int32_t /*value*/) {}

}  // namespace tesmara
