// printf-style formatting of the system's message formats. Formats are always ours, written in
// UTF-8; device texts only ever travel as arguments. Formatting narrow and widening afterwards
// keeps "%s" meaning the same on every C runtime.
#pragma once

#include <string>

namespace tesmara {

std::string FormatNarrow(const char* format, ...) __attribute__((format(printf, 1, 2)));
// FormatNarrow, then UTF-8 to UTF-16. Text arguments must be UTF-8 (addresses are ASCII).
std::wstring FormatUi(const char* utf8Format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tesmara
