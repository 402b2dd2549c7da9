// Number texts: ToDouble must give exactly what strtod gives in the C locale, value (to the
// bit, sign of zero and NaN included) and end position, whichever way it reads the text.
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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

} // namespace
