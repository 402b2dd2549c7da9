#include "core/number_text.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace number_text {

namespace {

locale_t CLocale()
{
    // Created once and kept for the life of the process.
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

double ToDouble(const char* text, const char** end)
{
    if (!text) {
        if (end)
            *end = text;
        return 0.0;
    }
    // A plain decimal text, by far the most common, goes through from_chars: the same
    // correctly rounded value, several times faster. White space, '+', '.5', hexadecimal,
    // "inf", "nan" and values out of range take strtod.
    const char* digits = text[0] == '-' ? text + 1 : text;
    if (*digits >= '0' && *digits <= '9') {
        double value = 0.0;
        const auto res = std::from_chars(text, text + std::strlen(text), value, std::chars_format::general);
        if (res.ec == std::errc() && *res.ptr != 'x' && *res.ptr != 'X') {
            if (end)
                *end = res.ptr;
            return value;
        }
    }
    char* stop = nullptr;
    const double value = strtod_l(text, &stop, CLocale());
    if (end)
        *end = stop;
    return value;
}

char* FormatG(double value, char* out)
{
    // The standard defines this as printf's "%g" in the "C" locale.
    return std::to_chars(out, out + kFormatGSize, value, std::chars_format::general, 6).ptr;
}

char* FormatFixed(double value, int precision, char* out)
{
    return std::to_chars(out, out + kFormatFixedSize, value, std::chars_format::fixed, precision).ptr;
}

std::string FormatG(double value)
{
    char buf[kFormatGSize];
    return std::string(buf, FormatG(value, buf));
}

IntParse ToInt(const char* text, int& value)
{
    if (!text) {
        value = 0;
        return IntParse::NoNumber;
    }
    return ToInt(std::string_view(text), value);
}

IntParse ToInt(std::string_view text, int& value)
{
    value = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && IsSpace(*p))
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p == end || *p < '0' || *p > '9')
        return IntParse::NoNumber;

    // Accumulate the magnitude, stopping growth once it is out of int range.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        if (!overflow) {
            magnitude = magnitude * 10 + (*p - '0');
            overflow = magnitude > limit;
        }
    }
    if (overflow) {
        value = negative ? INT_MIN : INT_MAX;
        return IntParse::OutOfRange;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return IntParse::Ok;
}

} // namespace number_text
