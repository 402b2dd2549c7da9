#include "xml_text.h"

#include "xandril.h"

#include <array>
#include <cstring>

namespace ns_xandril::detail {

namespace {

enum class Escape { None, Content, Attribute };

constexpr char32_t kControlBase = 0xE000;

// Windows-1252 code points of the bytes 0x80..0x9F; the five unassigned bytes keep
// their C1 code point so that nothing is lost.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// A control character that XML 1.0 does not allow, not even as a reference.
bool isForbiddenControl(unsigned c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at text[i] that XML accepts as a character,
// 0 when the bytes there do not form one (overlong forms, surrogates, U+FFFE, U+FFFF
// and values above U+10FFFF are refused).
std::size_t utf8Length(std::string_view text, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const std::size_t left = text.size() - i;
    const unsigned char c = at(0);
    if (c >= 0xC2 && c <= 0xDF)
        return left >= 2 && isContinuation(at(1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !isContinuation(at(1)) || !isContinuation(at(2)))
            return 0;
        if (c == 0xE0 && at(1) < 0xA0)
            return 0;
        if (c == 0xED && at(1) > 0x9F)
            return 0;
        if (c == 0xEF && at(1) == 0xBF && at(2) >= 0xBE)
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !isContinuation(at(1)) || !isContinuation(at(2)) || !isContinuation(at(3)))
            return 0;
        if (c == 0xF0 && at(1) < 0x90)
            return 0;
        if (c == 0xF4 && at(1) > 0x8F)
            return 0;
        return 4;
    }
    return 0;
}

char32_t fromCp1252(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

// A byte that can be copied as it stands for the given escaping.
bool isPlain(unsigned char c, Escape escape)
{
    if (c >= 0x80 || c < 0x20)
        return false;
    switch (c) {
    case '&':
    case '<':
    case '>':
        return escape == Escape::None;
    case '"':
        return escape != Escape::Attribute;
    default:
        return true;
    }
}

void convert(std::string& out, std::string_view text, Escape escape)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = i;
        while (run < n && isPlain(static_cast<unsigned char>(text[run]), escape))
            ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i == n)
            break;

        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            if (const std::size_t len = utf8Length(text, i)) {
                out.append(text.data() + i, len);
                i += len;
            } else {
                appendUtf8(out, fromCp1252(c));
                ++i;
            }
            continue;
        }
        ++i;
        if (isForbiddenControl(c)) {
            appendUtf8(out, kControlBase + c);
            continue;
        }
        if (escape == Escape::None) {
            out += static_cast<char>(c);
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        // The parser turns raw CR into LF everywhere, and raw tab or LF into blanks
        // inside attribute values: references keep them.
        case '\r': out += "&#13;"; break;
        case '\n': out += escape == Escape::Attribute ? "&#10;" : "\n"; break;
        case '\t': out += escape == Escape::Attribute ? "&#9;" : "\t"; break;
        default: out += static_cast<char>(c); break;
        }
    }
}

} // namespace

void appendEscaped(std::string& out, std::string_view text, bool attribute)
{
    convert(out, text, attribute ? Escape::Attribute : Escape::Content);
}

std::string_view toDocumentForm(std::string_view text, std::string& scratch)
{
    bool plain = true;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || isForbiddenControl(c)) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text;
    scratch.clear();
    convert(scratch, text, Escape::None);
    return scratch;
}

std::string fromDocumentForm(std::string_view text)
{
    // U+E000 + c is EE 80 (80 + c) in UTF-8 for every c below 0x20.
    if (text.empty() || std::memchr(text.data(), 0xEE, text.size()) == nullptr)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEE
            && static_cast<unsigned char>(text[i + 1]) == 0x80) {
            const unsigned c = static_cast<unsigned char>(text[i + 2]) - 0x80u;
            if (isForbiddenControl(c)) {
                out += static_cast<char>(c);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace ns_xandril::detail

namespace ns_xandril {

std::string TextToUtf8(std::string_view text)
{
    using namespace detail;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t len = utf8Length(text, i)) {
            out.append(text.data() + i, len);
            i += len;
        } else {
            appendUtf8(out, fromCp1252(c));
            ++i;
        }
    }
    return out;
}

int Cp1252At(std::string_view text, std::size_t i, std::size_t& length)
{
    using namespace detail;
    const auto c = static_cast<unsigned char>(text[i]);
    length = 1;
    if (c < 0x80)
        return c;
    const std::size_t len = utf8Length(text, i);
    if (len == 0)
        return c;
    length = len;
    char32_t cp = c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    if (cp >= 0xA0 && cp <= 0xFF)
        return static_cast<int>(cp);
    for (std::size_t k = 0; k < kCp1252High.size(); ++k)
        if (kCp1252High[k] == cp)
            return static_cast<int>(0x80 + k);
    return -1;
}

std::string Utf8ToCp1252(std::string_view text, char replacement)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const int byte = Cp1252At(text, i, length);
        out += byte < 0 ? replacement : static_cast<char>(byte);
        i += length;
    }
    return out;
}

} // namespace ns_xandril
