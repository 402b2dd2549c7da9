#pragma once
// How script values and host values meet: texts as 1xN rows of character codes, the one
// truncation of a double to an integer, and the conversions between script numbers and the
// kinds of module parameters.
#include <cstdint>
#include <string>

class CMCVariable;

namespace script {

// The text of a 1xN row: each element truncated (TruncateToInt) and its low 8 bits taken as
// one byte. Every element of the value is read, whatever its shape.
std::string TextOf(const CMCVariable& value);
// A 1xN row of the bytes as signed 8-bit codes (-128 to 127); 1x0 for an empty text.
CMCVariable TextValue(const std::string& text);

// A double truncated toward zero, saturating at the int range; NaN gives 0. Every double
// that becomes an integer (colour channels, name numbers, character codes) goes through it.
int TruncateToInt(double value);
// The low 8 bits of the truncated value (256 gives 0, -1 gives 255).
std::uint8_t LowByte(double value);

// Script number -> parameter. Numbers are written with six significant digits and read
// back, so 3.7 gives the int 3 and a double keeps six significant digits. Where the
// six-digit text has an exponent (1e+06, 1e-05) an int is the numeric truncation instead,
// saturating; NaN gives 0 and false.
bool ToBool(double value);
std::uint8_t ToByte(double value); // as ToInt, then the low 8 bits
int ToInt(double value);
float ToFloat(double value);       // six significant digits; beyond the float range +-inf
double ToDouble(double value);     // six significant digits

// Parameter -> script number. A float and a double come back with six significant digits.
double FromBool(bool value);
double FromByte(std::uint8_t value);
double FromInt(int value);
double FromFloat(float value);
double FromDouble(double value);

} // namespace script
