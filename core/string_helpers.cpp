#include "core/string_helpers.h"
#include "core/tree.h"

#include "core/number_text.h"
#include "platform/random.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace {

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string trim(std::string text, const std::string& chars)
{
    return ltrim(rtrim(std::move(text), chars), chars);
}

std::string ltrim(std::string text, const std::string& chars)
{
    const auto first = text.find_first_not_of(chars);
    if (first == std::string::npos)
        return {};
    text.erase(0, first);
    return text;
}

std::string rtrim(std::string text, const std::string& chars)
{
    const auto last = text.find_last_not_of(chars);
    if (last == std::string::npos)
        return {};
    text.erase(last + 1);
    return text;
}

bool isNumber(std::string text)
{
    bool signSeen = false;
    for (char c : text) {
        if (c == '+' || c == '-') {
            if (signSeen)
                return false;
            signSeen = true;
        } else if (c != '.' && !IsDigit(c)) {
            return false; // includes ","
        }
    }
    return true;
}

bool isNumber_stoi(std::string text)
{
    int value = 0;
    return number_text::ToInt(text.c_str(), value) == number_text::IntParse::Ok;
}

bool isNumber_isdigit(std::string text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!IsDigit(c))
            return false;
    return true;
}

void NormColons(std::string& path)
{
    path = ns_tree::NormalizePath(std::move(path));
}

void strremove(char* text, char c)
{
    if (!text)
        return;
    char* dst = text;
    for (const char* src = text; *src; ++src)
        if (*src != c)
            *dst++ = *src;
    *dst = '\0';
}

void strremove(std::string* text, char c)
{
    if (!text)
        return;
    // Works in place, so no copy is needed and the text cannot be left half done.
    text->resize(std::strlen(text->c_str()));
    std::erase(*text, c);
}

// The text after the last ":", at most n + (position of that ":") characters
// of it when the whole text is longer than n. Texts without ":" stay as they are.
void SingleStringProc(std::string& text, unsigned n)
{
    const auto p = text.rfind(':');
    if (p == std::string::npos)
        return;
    if (text.size() > n)
        text = text.substr(p + 1, static_cast<std::size_t>(n) + p);
    else
        text = text.substr(p + 1);
}

void GroupedStringProc(std::string& text, unsigned n)
{
    if (text.find(';') == std::string::npos)
        return;
    std::string out;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find(';', start);
        std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const auto colon = piece.rfind(':');
        if (colon != std::string::npos)
            piece.erase(0, colon + 1);
        if (piece.size() > n)
            piece.resize(n);
        if (start > 0)
            out += '+';
        out += piece;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    text = std::move(out);
}

// "Gruppe:Sub:Spektrum": maxLen 255 -> "Gruppe", 10 -> "Gruppe+Spektrum",
// 4 -> "Gruppe:Sub:Spe+rum" (maxLen below the first level's length keeps the
// first 14 characters; a tail of maxLen or more keeps its last maxLen - 1).
void autoname(std::string* text, unsigned maxLen, int number, bool addRandom)
{
    if (!text)
        return;
    const std::string input = *text;
    const auto first = input.find(':');
    if (first != std::string::npos) {
        *text = maxLen < first ? input.substr(0, 14) : input.substr(0, first);
        if (maxLen < 255) {
            std::string tail = input.substr(input.rfind(':') + 1);
            if (tail.size() >= maxLen)
                tail = maxLen == 0 ? std::string() : tail.substr(tail.size() - (maxLen - 1));
            *text += '+';
            *text += tail;
        }
    }
    if (addRandom) {
        platform::SRand(static_cast<unsigned>(std::time(nullptr)));
        *text += '_' + std::to_string(platform::Rand());
    }
    if (number != 0)
        *text += '_' + std::to_string(number);
}

std::string doubleToString(double value, int precision)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(precision) << value;
    return out.str();
}

int Nachkommastellen(double value)
{
    std::string text = number_text::FormatG(value);
    // Exponents are counted as three digits: "1.5e-07" -> "1.5e-007".
    const auto e = text.find('e');
    if (e != std::string::npos) {
        const std::size_t digits = text.size() - (e + 2);
        if (digits < 3)
            text.insert(e + 2, 3 - digits, '0');
    }
    const auto dot = text.find('.');
    if (dot == std::string::npos)
        return 0;
    const auto last = text.find_last_not_of('0');
    return static_cast<int>(last - dot);
}

namespace {

// x - floor(x) is exact whenever it is below one half, so the comparison decides
// right even next to a tie, where floor(x + 0.5) would round 0.49999999999999994 up.
template <typename T>
T RoundHalfUp(T value)
{
    const T lower = std::floor(value);
    return value - lower < T(0.5) ? lower : std::ceil(value);
}

template <std::size_t Slot>
float PolarNormal()
{
    thread_local bool cached = false;
    thread_local float cache = 0.0f;
    if (cached) {
        cached = false;
        return cache;
    }
    float u, v, s;
    do {
        u = 2.0f * static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax) - 1.0f;
        v = 2.0f * static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax) - 1.0f;
        s = u * u + v * v;
    } while (!(s > 0.0f && s < 1.0f));
    const float f = std::sqrt(-2.0f * std::log(s) / s);
    cache = v * f;
    cached = true;
    return u * f;
}

} // namespace

double runden(double value)
{
    return RoundHalfUp(value);
}

long double runden(long double value)
{
    return RoundHalfUp(value);
}

float ranNorm()
{
    return PolarNormal<1>();
}

float ranNorm2()
{
    return PolarNormal<2>();
}
