#include "text_layer.h"

#include "core/number_text.h"

#include <xandril/xandril.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace loadsave {

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Parsed {
    double value = 0;
    std::size_t used = 0;
    bool overflow = false;
};

// The number at the start of digits (no sign, no white space): digits, at most one mark,
// an exponent. markAt is the mark's position or npos.
double ConvertUnsigned(std::string_view digits, std::size_t markAt, bool& overflow)
{
    overflow = false;
    // from_chars wants "." as the decimal point; short texts are copied to the stack.
    char local[128];
    std::string heap;
    const char* begin = digits.data();
    if (markAt != std::string_view::npos && digits[markAt] != '.') {
        char* copy = local;
        if (digits.size() > sizeof local) {
            heap.assign(digits);
            copy = heap.data();
        } else {
            std::memcpy(local, digits.data(), digits.size());
        }
        copy[markAt] = '.';
        begin = copy;
    }
    const char* const end = begin + digits.size();
    double value = 0;
    const auto res = std::from_chars(begin, end, value, std::chars_format::general);
    if (res.ec == std::errc() && res.ptr == end)
        return value;
    // Out of range: strtod tells an overflow (infinite) from an underflow (0 or subnormal).
    const std::string text(begin, end);
    value = number_text::ToDouble(text.c_str());
    if (std::isinf(value)) {
        overflow = true;
        return DBL_MAX;
    }
    return std::isfinite(value) ? value : 0.0;
}

// The full rule, character by character; also the fallback of the fast path below.
Parsed ParsePrefixSlow(std::string_view text, char mark)
{
    Parsed out;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t start = i;
    while (i < n && IsDigit(text[i]))
        ++i;
    const std::size_t intDigits = i - start;
    std::size_t markAt = std::string_view::npos;
    if (i < n && text[i] == mark) {
        std::size_t j = i + 1;
        while (j < n && IsDigit(text[j]))
            ++j;
        if (intDigits > 0 || j > i + 1) {
            markAt = i - start;
            i = j;
        }
    }
    if (i == start)
        return out; // no digits: no number
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t expStart = j;
        while (j < n && IsDigit(text[j]))
            ++j;
        if (j > expStart)
            i = j;
    }
    const double magnitude = ConvertUnsigned(text.substr(start, i - start), markAt, out.overflow);
    out.value = negative ? -magnitude : magnitude;
    out.used = i;
    return out;
}

bool ParseSimpleDecimal(std::string_view text, std::size_t i, char mark, Parsed& out)
{
    const char* const begin = text.data();
    const char* const end = scanPlainDecimal(begin + i, begin + text.size(), mark, out.value);
    if (!end)
        return false;
    out.used = static_cast<std::size_t>(end - begin);
    return true;
}

Parsed ParsePrefix(std::string_view text, char mark)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    Parsed out;
    if (ParseSimpleDecimal(text, i, mark, out))
        return out;
    // from_chars straight on the text when it starts like a decimal number (so that no "inf"
    // or "nan" can be read) and the mark is ".", or is "," and from_chars did not meet a "."
    // or stop at a ",".
    const char* const begin = text.data() + i;
    const char* const end = text.data() + text.size();
    const char* digit = begin != end && *begin == '-' ? begin + 1 : begin;
    if (digit != end && *digit == '.')
        ++digit;
    if ((mark == '.' || mark == ',') && digit != end && IsDigit(*digit)) {
        double value = 0;
        const auto res = std::from_chars(begin, end, value, std::chars_format::general);
        if (res.ec == std::errc()
            && (mark == '.'
                || ((res.ptr == end || *res.ptr != ',') && std::memchr(begin, '.', res.ptr - begin) == nullptr))) {
            out.value = value;
            out.used = static_cast<std::size_t>(res.ptr - text.data());
            return out;
        }
    }
    return ParsePrefixSlow(text, mark);
}

} // namespace

LineReader::LineReader(std::string_view text)
    : m_text(text)
{
    if (m_text.size() >= 3 && m_text.substr(0, 3) == "\xEF\xBB\xBF")
        m_pos = 3;
    m_nextLf = m_nextCr = m_pos;
}

std::size_t LineReader::NextOf(char c, std::size_t& cached) const
{
    if (cached < m_pos || (cached == m_pos && cached < m_text.size() && m_text[cached] != c)) {
        const void* hit = std::memchr(m_text.data() + m_pos, c, m_text.size() - m_pos);
        cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - m_text.data()) : m_text.size();
    }
    return cached;
}

bool LineReader::Next(std::string_view& line)
{
    const std::size_t n = m_text.size();
    if (m_pos >= n) {
        line = {};
        return false;
    }
    const std::size_t end = std::min(NextOf('\n', m_nextLf), NextOf('\r', m_nextCr));
    line = m_text.substr(m_pos, end - m_pos);
    if (end + 1 < n && m_text[end] == '\r' && m_text[end + 1] == '\n')
        m_pos = end + 2;
    else
        m_pos = end + 1;
    return true;
}

bool LineReader::NextNonBlank(std::string_view& line, bool stripLeading)
{
    while (Next(line)) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            continue;
        if (stripLeading)
            line.remove_prefix(first);
        return true;
    }
    line = {};
    return false;
}

SeparatorSet::SeparatorSet(std::string_view separators)
{
    for (const char c : separators)
        m_table[static_cast<unsigned char>(c)] = true;
    if (separators.find_first_not_of(separators.front()) == std::string_view::npos && !separators.empty()) {
        m_isSingle = true;
        m_single = separators.front();
    }
}

std::size_t SeparatorSet::Find(std::string_view text, std::size_t from) const
{
    if (from >= text.size())
        return std::string_view::npos;
    if (m_isSingle) {
        // Fields are short: a plain loop beats a call for the first few characters.
        const std::size_t near = std::min(text.size(), from + 32);
        for (std::size_t i = from; i < near; ++i) {
            if (text[i] == m_single)
                return i;
        }
        if (near == text.size())
            return std::string_view::npos;
        const void* hit = std::memchr(text.data() + near, m_single, text.size() - near);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : std::string_view::npos;
    }
    for (std::size_t i = from; i < text.size(); ++i) {
        if (Contains(text[i]))
            return i;
    }
    return std::string_view::npos;
}

double parseDoublePrefix(std::string_view text, char mark, std::size_t* used)
{
    const Parsed p = ParsePrefix(text, mark);
    if (used)
        *used = p.used;
    return p.value;
}

std::optional<double> parseWholeDouble(std::string_view text, char mark)
{
    std::size_t end = text.size();
    while (end > 0 && IsCSpace(text[end - 1]))
        --end;
    const Parsed p = ParsePrefix(text.substr(0, end), mark);
    if (p.used == 0 || p.used != end || p.overflow)
        return std::nullopt;
    return p.value;
}

int parseIntPrefix(std::string_view text)
{
    int value = 0;
    number_text::ToInt(text, value);
    return value;
}

char decimalMarkOf(std::string_view text)
{
    return text.find(',') != std::string_view::npos ? ',' : '.';
}

bool holdsDecimalMark(std::string_view text)
{
    return text.find_first_of(".,") != std::string_view::npos;
}

std::string decodeName(std::string_view bytes)
{
    return ns_xandril::TextToUtf8(bytes);
}

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string_view skipLeadingBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string groupFromFileName(const std::string& path)
{
    std::string_view name = path;
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    if (const std::size_t bang = name.find('!'); bang != std::string_view::npos)
        name.remove_prefix(bang + 1);
    if (const std::size_t question = name.find('?'); question != std::string_view::npos)
        name.remove_prefix(question + 1);
    return decodeName(trimBlanks(name));
}

std::string cleanSeparator(const std::string& text)
{
    const std::string_view trimmed = trimBlanks(text);
    if (trimmed.empty())
        return {};
    std::string separator;
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] == '\\' && i + 1 < trimmed.size() && trimmed[i + 1] == 't') {
            separator += '\t';
            ++i;
        } else if (trimmed[i] != ' ') {
            separator += trimmed[i];
        }
    }
    return separator.empty() ? std::string(" ") : separator;
}

char decimalMarkOf(std::string_view text, const SeparatorSet& separators)
{
    return separators.Contains(',') ? '.' : decimalMarkOf(text);
}

std::optional<double> parseField(std::string_view field, char mark)
{
    std::size_t used = 0;
    const double value = parseDoublePrefix(field, mark, &used);
    if (trimBlanks(field.substr(used)).empty())
        return value;
    return std::nullopt;
}

bool isRefusedSeparator(const std::string& separator)
{
    return separator == "." || separator == ",";
}

bool isWhitespaceSeparator(const std::string& separator)
{
    return separator.empty() || separator == " ";
}

std::string generatedName(const std::string& base, int counter)
{
    return base + std::to_string(counter);
}

namespace {

// The path rule, applied until the path is valid: runs of ":" collapsed, every leading and
// trailing ":" removed.
std::string TidyPath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (c == ':' && (out.empty() || out.back() == ':'))
            continue;
        out += c;
    }
    if (!out.empty() && out.back() == ':')
        out.pop_back();
    return out;
}

} // namespace

std::string objectPath(const std::string& group, const std::string& leaf)
{
    const std::string tidyLeaf = TidyPath(leaf);
    if (tidyLeaf.empty())
        return {};
    const std::string tidyGroup = TidyPath(group);
    return tidyGroup.empty() ? tidyLeaf : tidyGroup + ":" + tidyLeaf;
}

} // namespace loadsave
