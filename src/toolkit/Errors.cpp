#include "toolkit/Errors.h"

#include <cstdarg>
#include <cstdio>

std::string VFormat(const char* fmt, va_list args) {
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, fmt, again);
    }
    va_end(again);
    return text;
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = VFormat(fmt, args);
    va_end(args);
    return text;
}
