#include "platform/vformat.h"

#include <cstdio>

namespace platform {

std::string VFormat(const char* format, va_list args)
{
    if (!format)
        return {};
    // Most log lines fit the stack buffer, so they are formatted only once.
    char buffer[512];
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, sizing);
    va_end(sizing);
    if (length < 0)
        return {};
    if (static_cast<std::size_t>(length) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(length));
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

} // namespace platform
