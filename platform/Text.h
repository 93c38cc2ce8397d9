// Text conversions between the UI's UTF-16 and the narrow strings handed to devices: device texts,
// addresses and paths in the ANSI code page, user names and passwords in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tesmara {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// A text in the ANSI code page (addresses, paths, device texts) as UTF-8, for the console.
inline std::string AnsiToUtf8(std::string_view text) {
    return WideToUtf8(AnsiToWide(text));
}

// The ANSI code page in use. On Windows it is the system's; elsewhere it is chosen (default 936,
// the code page of the devices' own texts) and may be changed, e.g. by a test.
unsigned AnsiCodePage();
void SetAnsiCodePage(unsigned codePage);
// True when texts can be converted to and from this code page here.
bool IsKnownCodePage(unsigned codePage);

}  // namespace tesmara
