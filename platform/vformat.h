#pragma once
// printf-style formatting into a std::string of any length.
#include <cstdarg>
#include <string>

namespace platform {

// Formats once with vsnprintf (sizing on a copy of the argument list); args is left
// for the caller to va_end. A null format gives an empty text.
std::string VFormat(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
// The same with the arguments given directly.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
