#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/Text.h"

namespace tesmara {
namespace {

std::atomic<unsigned> g_codePage{936};

std::string IconvName(unsigned codePage) {
    if (codePage == 65001) return "UTF-8";
    return "CP" + std::to_string(codePage);
}

// Converts with iconv; a byte sequence that does not convert becomes '?' rather than ending the
// text, so that a device's odd bytes never hide the rest of a field.
std::string Convert(const char* from, const char* to, const char* data, size_t size,
                    const char* replacement, size_t replacementSize, size_t unitSize) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: skip one unit of input and write the replacement.
            size_t skip = inLeft < unitSize ? inLeft : unitSize;
            in += skip;
            inLeft -= skip;
            out.append(replacement, replacementSize);
        }
    }
    ::iconv_close(cd);
    return out;
}

std::wstring FromBytes(std::string_view text, const std::string& encoding) {
    const char32_t q = U'?';
    std::string raw = Convert(encoding.c_str(), "UTF-32LE", text.data(), text.size(),
                              reinterpret_cast<const char*>(&q), 4, 1);
    std::wstring out;
    out.reserve(raw.size() / 4);
    for (size_t i = 0; i + 4 <= raw.size(); i += 4) {
        uint32_t c = static_cast<uint8_t>(raw[i]) | static_cast<uint8_t>(raw[i + 1]) << 8 |
                     static_cast<uint8_t>(raw[i + 2]) << 16 |
                     static_cast<uint32_t>(static_cast<uint8_t>(raw[i + 3])) << 24;
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

std::string ToBytes(std::wstring_view text, const std::string& encoding) {
    std::string raw;
    raw.reserve(text.size() * 4);
    for (wchar_t c : text) {
        uint32_t v = static_cast<uint32_t>(c);
        raw.push_back(static_cast<char>(v & 0xFF));
        raw.push_back(static_cast<char>((v >> 8) & 0xFF));
        raw.push_back(static_cast<char>((v >> 16) & 0xFF));
        raw.push_back(static_cast<char>((v >> 24) & 0xFF));
    }
    return Convert("UTF-32LE", encoding.c_str(), raw.data(), raw.size(), "?", 1, 4);
}

}  // namespace

unsigned AnsiCodePage() {
    return g_codePage.load();
}
void SetAnsiCodePage(unsigned codePage) {
    g_codePage.store(codePage);
}
bool IsKnownCodePage(unsigned codePage) {
    iconv_t cd = ::iconv_open("UTF-32LE", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    ::iconv_close(cd);
    return true;
}

std::wstring AnsiToWide(std::string_view text) {
    return FromBytes(text, IconvName(AnsiCodePage()));
}
std::string WideToAnsi(std::wstring_view text) {
    return ToBytes(text, IconvName(AnsiCodePage()));
}
std::wstring Utf8ToWide(std::string_view text) {
    return FromBytes(text, "UTF-8");
}
std::string WideToUtf8(std::wstring_view text) {
    return ToBytes(text, "UTF-8");
}

}  // namespace tesmara
