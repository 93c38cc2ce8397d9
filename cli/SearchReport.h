// What a console search leaves behind: the device table as aligned text, CSV or JSON.
#pragma once

#include <string>
#include <vector>

#include "view/InMemoryMainView.h"

namespace tesmara::cli {

// The table's columns under their headers, padded by display width (CJK characters count two).
std::string TableText(const std::vector<TableRow>& rows);

// The table as CSV (UTF-8, CRLF): a header row of the window's column headers, then one row per
// recorder with every column, each field quoted as the batch report's are.
std::string TableCsv(const std::vector<TableRow>& rows);

// {"ok": bool, "log": [{"colour", "text"}...], "devices": [{"no", "mac", "ip", ...}...]}.
// Each device also carries the mask, gateway and ports the search recorded for it.
std::string ReportJson(bool ok, const std::vector<StatusLine>& log,
                       const std::vector<TableRow>& rows);

}  // namespace tesmara::cli
