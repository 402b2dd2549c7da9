#include "core/number_text.h"

#include "core/number_text_tables.h"

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

using tables::kMaxExactPow10;
using tables::kPow10;

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

char* FormatGSlow(double value, char* out)
{
    return std::to_chars(out, out + kFormatGSize, value, std::chars_format::general, 6).ptr;
}

// The two digits of 0 <= n < 100 as the low bytes of a word, the first digit lowest.
std::uint64_t Pair(std::uint32_t n)
{
    std::uint16_t pair;
    std::memcpy(&pair, kDigitPairs + 2 * n, sizeof pair);
    return pair;
}

} // namespace

char* FormatG(double value, char* out)
{
    // The six significant digits come from value * 10^k with an exact power of ten: one
    // multiplication or division, correctly rounded, is off the exact product by at most
    // 2^-31 below 10^7, and the division by ten that may follow adds less than 2^-33. Only a
    // product that close to a rounding tie could round the other way; those, zero, values
    // out of the power range, inf and nan take to_chars.
    const double v = std::fabs(value);
    if (!(v >= 1e-17 && v < 1e27))
        return FormatGSlow(value, out);
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;
    // floor(binaryExponent * log10(2)): the decimal exponent or one less, so the product
    // lies in [10^5, 10^7).
    int k = 5 - ((binaryExponent * 78913) >> 18);
    if (k > kMaxExactPow10)
        return FormatGSlow(value, out);
    double scaled = k >= 0 ? v * kPow10[k] : v / kPow10[-k];
    if (scaled >= 1e6) {
        scaled /= 10.0;
        --k;
    }
    if (!(scaled >= 1e5))
        return FormatGSlow(value, out);
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

    // The six digits as the low bytes of one word (first digit lowest); the trailing zeros
    // are its zero bytes at the top once the '0's are taken away.
    const std::uint64_t word = Pair(d / 10000) | Pair(d / 100 % 100) << 16 | Pair(d % 100) << 32;
    const int significant = 8 - __builtin_clzll(word - 0x303030303030ull) / 8;

    *out = '-';
    out += std::signbit(value) ? 1 : 0;
    // The text is built in words and stored whole; what lies beyond the returned end is
    // scratch. Only the lengths depend on the value, which keeps the branches few.
    if (exponent < -4 || exponent >= 6) {
        // d.ddddde+XX
        const std::uint64_t mantissa = (word & 0xFF) | std::uint64_t{'.'} << 8 | (word >> 8) << 16;
        std::memcpy(out, &mantissa, sizeof mantissa);
        out += significant > 1 ? significant + 1 : 1;
        const int magnitude = exponent < 0 ? -exponent : exponent;
        const char tail[4] = {'e', exponent < 0 ? '-' : '+', static_cast<char>('0' + magnitude / 10),
                              static_cast<char>('0' + magnitude % 10)};
        std::memcpy(out, tail, sizeof tail);
        return out + 4;
    }
    // Exponent 0 and up: the first exponent + 1 digits, the point, the rest.
    const bool small = exponent < 0;
    const int wholeDigits = small ? 1 : exponent + 1;
    const std::uint64_t head = word & ((std::uint64_t{1} << (8 * wholeDigits)) - 1);
    const std::uint64_t plain = head | std::uint64_t{'.'} << (8 * wholeDigits) | (word >> (8 * wholeDigits))
                                                                                       << (8 * wholeDigits + 8);
    // Below 0: "0." and -exponent - 1 zeros before the digits.
    std::memcpy(out, "0.000000", 8);
    char* const at = small ? out + 1 - exponent : out;
    const std::uint64_t text = small ? word : plain;
    std::memcpy(at, &text, sizeof text);
    return small ? at + significant : out + (significant > wholeDigits ? significant + 1 : wholeDigits);
}

namespace {

// The count digits of n < 10^count, leading zeros included; groups of four are made apart,
// so the divisions do not wait on each other.
template <int count>
void PutDigits(char* out, std::uint32_t n)
{
    if constexpr (count == 1) {
        out[0] = static_cast<char>('0' + n);
    } else if constexpr (count == 2) {
        std::memcpy(out, kDigitPairs + 2 * n, 2);
    } else if constexpr (count == 3) {
        out[0] = static_cast<char>('0' + n / 100);
        std::memcpy(out + 1, kDigitPairs + 2 * (n % 100), 2);
    } else if constexpr (count == 4) {
        std::memcpy(out, kDigitPairs + 2 * (n / 100), 2);
        std::memcpy(out + 2, kDigitPairs + 2 * (n % 100), 2);
    } else {
        PutDigits<count - 4>(out, n / 10000);
        PutDigits<4>(out + count - 4, n % 10000);
    }
}

// n / 10^precision with precision places after the point; the divisions by a constant
// compile to multiplications.
template <int precision>
char* FixedDigits(std::uint64_t n, char* out)
{
    constexpr std::uint64_t unit = static_cast<std::uint64_t>(kPow10[precision]);
    const std::uint64_t whole = n / unit;
    if (whole < 100) {
        // One or two digits: the pair, less its leading zero.
        std::memcpy(out, kDigitPairs + 2 * whole + (whole < 10 ? 1 : 0), 2);
        out += whole < 10 ? 1 : 2;
    } else if (whole < 10000) {
        const std::uint32_t high = static_cast<std::uint32_t>(whole / 100);
        std::memcpy(out, kDigitPairs + 2 * high + (high < 10 ? 1 : 0), 2);
        out += high < 10 ? 1 : 2;
        std::memcpy(out, kDigitPairs + 2 * (whole % 100), 2);
        out += 2;
    } else {
        out = std::to_chars(out, out + 24, whole).ptr;
    }
    if constexpr (precision > 0) {
        *out++ = '.';
        PutDigits<precision>(out, static_cast<std::uint32_t>(n % unit));
        out += precision;
    }
    return out;
}

} // namespace

char* FormatFixed(double value, int precision, char* out)
{
    // As in FormatG: value * 10^precision, once rounded, is off the exact product by at most
    // 2^-9 below 2^44; products that close to a tie, larger values, inf and nan take to_chars.
    const double v = std::fabs(value);
    const double scaled = precision >= 0 && precision <= 9 ? v * kPow10[precision] : 0.0;
    if (!(scaled < 17592186044416.0) || precision < 0 || precision > 9)
        return std::to_chars(out, out + kFormatFixedSize, value, std::chars_format::fixed, precision).ptr;
    // Signed conversions: below 2^44 they are exact, and single instructions.
    const std::int64_t whole = static_cast<std::int64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) < 1e-2)
        return std::to_chars(out, out + kFormatFixedSize, value, std::chars_format::fixed, precision).ptr;
    const std::uint64_t n = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    *out = '-';
    out += std::signbit(value) ? 1 : 0;
    switch (precision) {
    case 0: return FixedDigits<0>(n, out);
    case 1: return FixedDigits<1>(n, out);
    case 2: return FixedDigits<2>(n, out);
    case 3: return FixedDigits<3>(n, out);
    case 4: return FixedDigits<4>(n, out);
    case 5: return FixedDigits<5>(n, out);
    case 6: return FixedDigits<6>(n, out);
    case 7: return FixedDigits<7>(n, out);
    case 8: return FixedDigits<8>(n, out);
    default: return FixedDigits<9>(n, out);
    }
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
