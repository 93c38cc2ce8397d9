// Texts that reach a terminal or a log file carry what recorders sent (descriptions, versions,
// addresses in status lines): every control character is written as an escape so that none can
// move the cursor, start a terminal sequence, reorder the line or forge another line.
#pragma once

#include <string>
#include <string_view>

namespace tesmara {

// The text with every control character written as an escape ("\n", "\x1B", "\u202E").
std::wstring Showable(std::wstring_view text);

// The same for a UTF-8 text.
std::string ShowableUtf8(std::string_view text);

}  // namespace tesmara
