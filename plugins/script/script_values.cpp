#include "script/script_values.h"

#include <formulux/mc_variable.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace script {

namespace {

// The value written as a standard stream writes a double: general format, six significant
// digits ("3.7", "123457", "1e+06"). Locale-free.
std::string SixDigits(double value)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

double ReadDouble(const std::string& text)
{
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range)
        return text.find('-') == 0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return ec == std::errc() ? value : 0.0;
}

} // namespace

std::string TextOf(const CMCVariable& value)
{
    std::string text;
    const std::size_t count = value.numel();
    text.reserve(count);
    const double* data = value.data();
    for (std::size_t i = 0; i < count; ++i)
        text += static_cast<char>(LowByte(data[i]));
    return text;
}

CMCVariable TextValue(const std::string& text)
{
    CMCVariable value(1, static_cast<int>(text.size()));
    double* data = value.mutableData();
    for (std::size_t i = 0; i < text.size(); ++i)
        data[i] = static_cast<double>(static_cast<std::int8_t>(text[i]));
    return value;
}

int TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

std::uint8_t LowByte(double value)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(TruncateToInt(value)) & 0xFFu);
}

bool ToBool(double value)
{
    return !std::isnan(value) && value != 0.0;
}

int ToInt(double value)
{
    const std::string text = SixDigits(value);
    if (text.empty() || text.find_first_of("eEn") != std::string::npos)
        return TruncateToInt(value);
    // The integer up to the first character that cannot continue it ("3.7" gives 3).
    long long whole = 0;
    std::from_chars(text.data(), text.data() + text.size(), whole);
    return static_cast<int>(whole); // below 10^6: fits
}

std::uint8_t ToByte(double value)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(ToInt(value)) & 0xFFu);
}

float ToFloat(double value)
{
    const double rounded = ToDouble(value);
    if (std::isnan(rounded))
        return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(rounded) > static_cast<double>(std::numeric_limits<float>::max()))
        return rounded > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(rounded);
}

double ToDouble(double value)
{
    if (!std::isfinite(value))
        return value;
    return ReadDouble(SixDigits(value));
}

double FromBool(bool value) { return value ? 1.0 : 0.0; }
double FromByte(std::uint8_t value) { return static_cast<double>(value); }
double FromInt(int value) { return static_cast<double>(value); }
double FromFloat(float value) { return ToDouble(static_cast<double>(value)); }
double FromDouble(double value) { return ToDouble(value); }

} // namespace script
