#include "platform/Showable.h"

#include "platform/Format.h"
#include "platform/Text.h"

namespace tesmara {
namespace {

// Characters that move the cursor, start a terminal sequence or reorder the line: a recorder's
// text containing them could forge rows or recolour the terminal.
bool IsControl(wchar_t c) {
    unsigned u = static_cast<unsigned>(c);
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029 ||
           (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

}  // namespace

std::wstring Showable(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (!IsControl(c)) {
            out += c;
        } else if (c == L'\n') {
            out += L"\\n";
        } else if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\t') {
            out += L"\\t";
        } else {
            unsigned u = static_cast<unsigned>(c);
            out += Utf8ToWide(u <= 0xFF ? FormatNarrow("\\x%02X", u) : FormatNarrow("\\u%04X", u));
        }
    }
    return out;
}

std::string ShowableUtf8(std::string_view text) {
    return WideToUtf8(Showable(Utf8ToWide(text)));
}

}  // namespace tesmara
