#pragma once
// Number <-> text conversions that never depend on the process locale: the
// decimal point is always ".", whatever LC_NUMERIC says.

#include <string>
#include <string_view>

namespace number_text {

// What strtod does in the "C" locale: leading white space, sign, decimal or
// exponent form, "inf", "nan". No number gives 0; *end (when given) points
// behind the characters used.
double ToDouble(const char* text, const char** end = nullptr);

// The text printf's "%g" gives in the "C" locale (six significant digits).
std::string FormatG(double value);
// The same text written to out, which holds at least kFormatGSize characters (no
// terminating zero); returns the end of the text.
constexpr int kFormatGSize = 32;
char* FormatG(double value, char* out);
// The text printf's "%.<precision>f" gives in the "C" locale, precision 0 to 9, written to
// out, which holds at least kFormatFixedSize characters; returns the end of the text.
constexpr int kFormatFixedSize = 340;
char* FormatFixed(double value, int precision, char* out);

enum class IntParse { NoNumber, Ok, OutOfRange };

// Reads a decimal int prefix like strtol: leading white space, an optional sign,
// digits; the rest is ignored. OutOfRange leaves the nearest int (INT_MIN or
// INT_MAX) in value, NoNumber leaves 0.
IntParse ToInt(const char* text, int& value);
// The same for a text that ends with the view (it need not be zero-terminated).
IntParse ToInt(std::string_view text, int& value);

} // namespace number_text
