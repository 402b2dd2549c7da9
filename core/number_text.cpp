#include "core/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
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

namespace {

// The powers of ten a double holds exactly.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPow10 = 22;

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

char* FormatGSlow(double value, char* out)
{
    return std::to_chars(out, out + kFormatGSize, value, std::chars_format::general, 6).ptr;
}

char* AppendDigits(char* out, const char* digits, int count)
{
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
}

} // namespace

char* FormatG(double value, char* out)
{
    // The six significant digits come from value * 10^k with an exact power of ten: one
    // multiplication or division, correctly rounded, is off the exact product by at most
    // 2^-34 below 10^6. Only a product that close to a rounding tie could round the other
    // way; those, zero, values out of the power range, inf and nan take to_chars.
    const double v = std::fabs(value);
    if (!(v >= 1e-17 && v < 1e27))
        return FormatGSlow(value, out);
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;
    // floor(binaryExponent * log10(2)): the decimal exponent or one less.
    int k = 5 - ((binaryExponent * 78913) >> 18);
    double scaled = 0.0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 3 || k < -kMaxExactPow10 || k > kMaxExactPow10)
            return FormatGSlow(value, out);
        scaled = k >= 0 ? v * kExactPow10[k] : v / kExactPow10[-k];
        if (scaled >= 1e6)
            --k;
        else if (scaled < 1e5)
            ++k;
        else
            break;
    }
    const std::uint32_t whole = static_cast<std::uint32_t>(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-8)
        return FormatGSlow(value, out);
    std::uint32_t d = whole + (fraction > 0.5 ? 1 : 0);
    if (d == 1000000) {
        d = 100000;
        --k;
    }
    const int exponent = 5 - k;
    char digits[6];
    std::memcpy(digits, kDigitPairs + 2 * (d / 10000), 2);
    std::memcpy(digits + 2, kDigitPairs + 2 * (d / 100 % 100), 2);
    std::memcpy(digits + 4, kDigitPairs + 2 * (d % 100), 2);
    int significant = 6;
    while (digits[significant - 1] == '0')
        --significant;

    if (std::signbit(value))
        *out++ = '-';
    if (exponent < -4 || exponent >= 6) {
        *out++ = digits[0];
        if (significant > 1) {
            *out++ = '.';
            out = AppendDigits(out, digits + 1, significant - 1);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        *out++ = static_cast<char>('0' + magnitude / 10);
        *out++ = static_cast<char>('0' + magnitude % 10);
    } else if (exponent >= 0) {
        out = AppendDigits(out, digits, exponent + 1);
        if (significant > exponent + 1) {
            *out++ = '.';
            out = AppendDigits(out, digits + exponent + 1, significant - exponent - 1);
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i)
            *out++ = '0';
        out = AppendDigits(out, digits, significant);
    }
    return out;
}

char* FormatFixed(double value, int precision, char* out)
{
    // As in FormatG: value * 10^precision, once rounded, is off the exact product by at most
    // 2^-9 below 2^44; products that close to a tie, larger values, inf and nan take to_chars.
    const double v = std::fabs(value);
    const double scaled = precision >= 0 && precision <= 9 ? v * kExactPow10[precision] : 0.0;
    if (!(scaled < 17592186044416.0) || precision < 0 || precision > 9)
        return std::to_chars(out, out + kFormatFixedSize, value, std::chars_format::fixed, precision).ptr;
    const std::uint64_t whole = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) < 1e-2)
        return std::to_chars(out, out + kFormatFixedSize, value, std::chars_format::fixed, precision).ptr;
    const std::uint64_t n = whole + (fraction > 0.5 ? 1 : 0);
    const std::uint64_t unit = static_cast<std::uint64_t>(kExactPow10[precision]);
    if (std::signbit(value))
        *out++ = '-';
    out = std::to_chars(out, out + 24, n / unit).ptr;
    if (precision > 0) {
        *out++ = '.';
        std::uint32_t rest = static_cast<std::uint32_t>(n % unit);
        int i = precision;
        for (; i >= 2; i -= 2) {
            std::memcpy(out + i - 2, kDigitPairs + 2 * (rest % 100), 2);
            rest /= 100;
        }
        if (i == 1)
            out[0] = static_cast<char>('0' + rest);
        out += precision;
    }
    return out;
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
