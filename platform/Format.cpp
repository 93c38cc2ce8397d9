#include "platform/Format.h"

#include <cstdarg>
#include <cstdio>

#include "platform/Text.h"

namespace tesmara {
namespace {

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (size > 0) {
        out.resize(static_cast<size_t>(size) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(size));
    }
    return out;
}

}  // namespace

std::string FormatNarrow(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

std::wstring FormatUi(const char* utf8Format, ...) {
    va_list args;
    va_start(args, utf8Format);
    std::string out = FormatV(utf8Format, args);
    va_end(args);
    return Utf8ToWide(out);
}

}  // namespace tesmara
