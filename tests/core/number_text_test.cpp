// Number texts: ToDouble must give exactly what strtod gives in the C locale, value (to the
// bit, sign of zero and NaN included) and end position, whichever way it reads the text;
// FormatG and FormatFixed exactly the bytes of printf's "%g" and "%.<n>f" in the C locale.
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>
#include <locale.h>

namespace {

TEST(NumberText, ToDoubleMatchesStrtodInTheCLocale)
{
    const char* const texts[] = {
        "0", "-0", "1", "0.55", "-0.015", "380", "1e5", "1E-5", "2.5e+3", "6.02214076e23",
        // Correct rounding: halfway cases and more digits than a double holds.
        "9007199254740993", "0.1000000000000000055511151231257827", "2.2250738585072011e-308",
        "1.7976931348623157e308", "123456789012345678901234567890",
        // Out of range and subnormal.
        "1e400", "-1e400", "1e-400", "4.9e-324", "2e-320",
        // Stops early.
        "1.5abc", "1e", "1e+", "12,5", "1.", "0x", "3 4",
        // What only strtod reads.
        " 1.5", "\t-2", "+3", ".5", "-.5", "0x1p3", "0X1A", "-0x10", "inf", "-Infinity", "nan", "NAN(123)",
        // No number.
        "", "-", "abc", "--1", "e5"};
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    ASSERT_NE(c, static_cast<locale_t>(nullptr));
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        char* expectedEnd = nullptr;
        const double expected = strtod_l(text, &expectedEnd, c);
        const char* end = nullptr;
        const double got = number_text::ToDouble(text, &end);
        EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << got << " vs " << expected;
        EXPECT_EQ(end - text, expectedEnd - text);
    }
    freelocale(c);
    EXPECT_EQ(number_text::ToDouble(nullptr), 0.0);
}

// printf's "%g" in the C locale, whatever the process locale is.
class CFormat {
public:
    CFormat()
        : m_c(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr)))
        , m_old(uselocale(m_c))
    {
    }
    ~CFormat()
    {
        uselocale(m_old);
        freelocale(m_c);
    }
    std::string operator()(double value) const
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", value);
        return buf;
    }
    std::string operator()(double value, int precision) const
    {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.*f", precision, value);
        return buf;
    }

private:
    locale_t m_c;
    locale_t m_old;
};

void ExpectFormatG(const CFormat& printf, double value)
{
    const std::string expected = printf(value);
    ASSERT_EQ(number_text::FormatG(value), expected) << "bits of the value: " << std::hexfloat << value;
    char buf[number_text::kFormatGSize];
    ASSERT_EQ(std::string(buf, number_text::FormatG(value, buf)), expected);
}

// Values where "%g" is easy to get wrong.
std::vector<double> HardCases()
{
    const double inf = std::numeric_limits<double>::infinity();
    return {
        0.0, -0.0, 1.0, -1.0, 0.5, 0.734912, 1.734912, 380, 780.5,
        // Powers of ten on both sides of the switch to exponent form.
        1e-5, 1e-4, 1e-3, 0.1, 10, 1e5, 1e6, 1e-17, 1e-18, 1e26, 1e27, 1e22, 1e23, 1e-22, 1e-23,
        // Rounding up into the next power of ten or the next form.
        9.9999995, 9.9999994, 9.99999949999, 999999.5, 999999.4999, 99999.95, 99999.94999, 0.000099999951,
        0.00009999994, 999999499999, 9.999995e-18, 9.999995e26,
        // Exact binary ties at the sixth digit (half to even) and values next to them.
        100000.5, 100001.5, 1234565, 1234575, 0.1234565, 2.5e-5, 1.0000005, 1.0000015, 12345.65, 8388608.5,
        std::nextafter(100000.5, 0.0), std::nextafter(100000.5, 1e6), std::nextafter(1.0000005, 0.0),
        // Beyond the exact powers of ten, subnormals and the ends of the range.
        std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(), 4.9e-320, 1.5e300,
        123456789012345678.0, 0.000123456789, -0.000123456789,
        // Not finite.
        inf, -inf, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
}

TEST(NumberText, FormatGGivesPrintfsBytesOnHardCases)
{
    const CFormat printf;
    for (const double value : HardCases())
        ExpectFormatG(printf, value);
}

TEST(NumberText, FormatGGivesPrintfsBytesOnRandomValues)
{
    const CFormat printf;
    std::mt19937_64 random(24);
    std::uniform_real_distribution<double> unit(0.0, 2.0);
    std::uniform_int_distribution<int> exponent(-24, 30);
    std::uniform_int_distribution<std::int64_t> sixDigits(100000, 999999);
    for (int i = 0; i < 200000; ++i) {
        SCOPED_TRACE(i);
        // Any bit pattern: every exponent, subnormals, inf and nan.
        const std::uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        ExpectFormatG(printf, any);
        // The values of spectra.
        ExpectFormatG(printf, unit(random) - 0.5);
        // Next to a decimal tie at the sixth digit, at any scale.
        const double tie = (static_cast<double>(sixDigits(random)) + 0.5) * std::pow(10.0, exponent(random));
        ExpectFormatG(printf, tie);
        ExpectFormatG(printf, std::nextafter(tie, 0.0));
        ExpectFormatG(printf, -std::nextafter(tie, 1e300));
    }
}

void ExpectFormatFixed(const CFormat& printf, double value, int precision)
{
    char buf[number_text::kFormatFixedSize];
    ASSERT_EQ(std::string(buf, number_text::FormatFixed(value, precision, buf)), printf(value, precision))
        << "bits of the value: " << std::hexfloat << value << ", precision " << precision;
}

TEST(NumberText, FormatFixedGivesPrintfsBytes)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {
        0.0, -0.0, 1.0, -1.0, 1234.5678, -1234.5678, 0.5, 1.5, 2.5, -2.5,
        // Exact binary ties at the last digit (half to even) and values next to them.
        0.125, 0.375, 1.000000005, 0.000000005, 0.000000015, 2.0000000025, std::nextafter(0.125, 1.0),
        std::nextafter(0.125, 0.0),
        // Rounding up through every digit, and small values that round to (negative) zero.
        9.9999999951, 99999.999999995, 0.999999995, -0.999999995, 1e-12, -1e-12, -4e-9, 6e-9,
        // Next to and beyond the end of the fast range, huge, tiny, not finite.
        175921.86044415, 175921.86044416, 175922.0, 1e15, 9007199254740993.0, 1e300, -1.7976931348623157e308,
        4.9e-324, inf, -inf, std::numeric_limits<double>::quiet_NaN()};
    const CFormat printf;
    for (const double value : values)
        for (const int precision : {0, 1, 2, 7, 8, 9})
            ExpectFormatFixed(printf, value, precision);

    std::mt19937_64 random(8);
    std::uniform_real_distribution<double> measure(-2000.0, 2000.0);
    std::uniform_int_distribution<int> exponent(-10, 8);
    std::uniform_int_distribution<std::int64_t> digits(0, 999999999);
    for (int i = 0; i < 200000; ++i) {
        SCOPED_TRACE(i);
        ExpectFormatFixed(printf, measure(random), 8);
        // Next to a decimal tie at the ninth place, at many scales.
        const double tie = (static_cast<double>(digits(random)) + 0.5) * 1e-9 * std::pow(10.0, exponent(random));
        ExpectFormatFixed(printf, tie, 8);
        ExpectFormatFixed(printf, -std::nextafter(tie, inf), 8);
        ExpectFormatFixed(printf, tie * 10.0, 7);
    }
}


} // namespace
