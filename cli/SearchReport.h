// What a console search leaves behind: the device table as aligned text or as JSON.
#pragma once

#include <string>
#include <vector>

#include "view/InMemoryMainView.h"

namespace tesmara::cli {

// The table's columns under their headers, padded by display width (CJK characters count two).
std::string TableText(const std::vector<TableRow>& rows);

// {"ok": bool, "log": [{"colour", "text"}...], "devices": [{"no", "mac", "ip", ...}...]}.
// Each device also carries the mask, gateway and ports the search recorded for it.
std::string ReportJson(bool ok, const std::vector<StatusLine>& log,
                       const std::vector<TableRow>& rows);

}  // namespace tesmara::cli
