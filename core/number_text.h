#pragma once
// Number <-> text conversions that never depend on the process locale: the
// decimal point is always ".", whatever LC_NUMERIC says.

#include <string>
#include <string_view>
#include <vector>

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
// Each value's FormatG text followed by ", ", written to out, which holds at least
// count * kFormatGListStride + 64 characters; returns the end of the text. Where the
// processor allows, eight values are formatted at once.
constexpr int kFormatGListStride = 16;
char* FormatGList(const double* values, std::size_t count, char* out);
// The versions of FormatGList this processor can run (one value at a time first), so tests
// can hold each against the single values.
using FormatGListKernel = char* (*)(const double* values, std::size_t count, char* out);
std::vector<FormatGListKernel> AvailableFormatGListKernels();
// The count values as printf's "%16.8f" in the C locale, kFixedFieldWidth characters each,
// one after the other, into out, which holds at least count * kFixedFieldWidth + 128
// characters. False when a value's text is longer than the field; out then holds no
// usable text.
constexpr std::size_t kFixedFieldWidth = 16;
bool FormatFixedFields(const double* values, std::size_t count, char* out);
using FixedFieldsKernel = bool (*)(const double* values, std::size_t count, char* out);
std::vector<FixedFieldsKernel> AvailableFixedFieldsKernels();
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
