#pragma once
// The text layer shared by the text loaders: logical lines, number prefixes read with an
// explicit decimal mark, the decimal-mark rule, separator sets, names as UTF-8 and the group
// taken from a file name. Nothing here depends on the process locale.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace loadsave {

// The logical lines of a text held in memory. CR LF, LF or CR ends a line, a last line without
// a line end counts, a leading UTF-8 byte order mark is skipped, and lines have no length
// limit. Lines are views into the text.
class LineReader {
public:
    explicit LineReader(std::string_view text);

    bool AtEnd() const { return m_pos >= m_text.size(); }
    // The next line without its line end; false (and an empty line) at the end.
    bool Next(std::string_view& line);
    // The next line that holds more than blanks and tabs, without its leading blanks and tabs
    // when stripLeading is set; false (and an empty line) at the end.
    bool NextNonBlank(std::string_view& line, bool stripLeading);

private:
    // Position of the next LF (CR) at or after the read position, or the text's size; found
    // again only once the read position has passed it, so that every byte is searched once.
    std::size_t NextOf(char c, std::size_t& cached) const;

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_nextLf = 0;
    std::size_t m_nextCr = 0;
};

// The characters that separate fields: any one of the separator text's characters.
class SeparatorSet {
public:
    explicit SeparatorSet(std::string_view separators);

    bool Contains(char c) const { return m_table[static_cast<unsigned char>(c)]; }
    // Position of the first separator character at or after from; npos when none.
    std::size_t Find(std::string_view text, std::size_t from = 0) const;

private:
    bool m_table[256] = {};
    char m_single = 0;
    bool m_isSingle = false;
};

// Calls f(field) for every field of text. Whitespace mode: the texts between runs of blanks and
// tabs (blanks and tabs at both ends ignored). Otherwise: the texts between separator characters, empty ones
// included, and the text after the last separator only when it holds more than blanks and
// tabs. f returns false to stop early.
template <class F>
void forEachField(std::string_view text, const SeparatorSet& separators, bool whitespace, F&& f)
{
    std::size_t pos = 0;
    const std::size_t n = text.size();
    if (whitespace) {
        for (;;) {
            while (pos < n && (text[pos] == ' ' || text[pos] == '\t'))
                ++pos;
            if (pos == n)
                return;
            std::size_t end = text.find_first_of(" \t", pos);
            if (end == std::string_view::npos)
                end = n;
            if (!f(text.substr(pos, end - pos)))
                return;
            pos = end;
        }
    }
    for (;;) {
        const std::size_t next = separators.Find(text, pos);
        if (next == std::string_view::npos) {
            const std::string_view last = text.substr(pos);
            if (last.find_first_not_of(" \t") != std::string_view::npos)
                f(last);
            return;
        }
        if (!f(text.substr(pos, next - pos)))
            return;
        pos = next + 1;
    }
}

// A plain decimal at p: an optional sign, digits with at most one mark, no exponent, at most
// 19 digits and a value below 2^53 before the mark is applied. Its value is digits / 10^fraction
// digits, exact and correctly rounded because both operands are exact doubles. Returns the end
// of the number, or null (value untouched) for anything else, which the full rule then reads.
inline const char* scanPlainDecimal(const char* p, const char* end, char mark, double& value)
{
    constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    unsigned long long mantissa = 0;
    int digits = 0;
    int fraction = 0;
    for (; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    if (p < end && *p == mark) {
        for (++p; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits, ++fraction)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    if (digits == 0 || digits > 19 || (p < end && (*p == 'e' || *p == 'E')) || mantissa > (1ULL << 53))
        return nullptr;
    const double magnitude = static_cast<double>(mantissa) / kPow10[fraction];
    value = negative ? -magnitude : magnitude;
    return p;
}

// strtod's prefix rule with mark as the decimal separator: leading white space, a sign,
// digits with at most one mark, an exponent; no "inf", "nan" or hexadecimal forms. A text
// without a number gives 0 and used 0. The result is always finite: an overflow gives the
// largest finite value of its sign. used (when given) receives the characters taken.
double parseDoublePrefix(std::string_view text, char mark, std::size_t* used = nullptr);
// The number when the whole text (white space around it allowed) is one and does not
// overflow; nothing otherwise.
std::optional<double> parseWholeDouble(std::string_view text, char mark);
// atoi's prefix rule (white space, sign, digits), clamped to the int range; 0 for no number.
int parseIntPrefix(std::string_view text);

// The decimal-mark rule of the text loaders: "," when the text holds a comma, else ".".
char decimalMarkOf(std::string_view text);
// The same rule for a line whose fields the given separators split: a comma among the
// separators separates fields, so the mark is then ".".
char decimalMarkOf(std::string_view text, const SeparatorSet& separators);
// The number of a whole field read with mark: blanks and tabs around it allowed, an empty field
// is 0. Nothing when other characters follow the number (such as "117.812" read with ",").
std::optional<double> parseField(std::string_view field, char mark);
// True when the text holds "." or ",": its numbers are read as decimals, else as whole numbers.
bool holdsDecimalMark(std::string_view text);

// The text as UTF-8: valid UTF-8 stays, other bytes are taken as Windows-1252.
std::string decodeName(std::string_view bytes);
// Without leading and trailing blanks, tabs, CR and LF.
std::string_view trimBlanks(std::string_view text);
// Without leading blanks and tabs / without trailing blanks.
std::string_view skipLeadingBlanks(std::string_view text);

// The group the text loaders take from a file name: the last "/"-separated part of the path
// up to its last "."; then only what follows the first "!", then only what follows the first
// "?"; trimmed and decoded. "/daten/Messung!LED?rot.txt" gives "rot".
std::string groupFromFileName(const std::string& path);

// The "Trennzeichen" rule of the text loaders: trimmed, then every blank removed; a text that
// had only blanks becomes a single blank; an empty text stays empty. The two characters "\t"
// stand for a tab, which a field cannot take by itself.
std::string cleanSeparator(const std::string& text);
// "." and "," cannot separate fields: they are decimal marks.
bool isRefusedSeparator(const std::string& separator);
// Whitespace mode: fields separated by runs of blanks and tabs.
bool isWhitespaceSeparator(const std::string& separator);

// "%s%i": a generated object name.
std::string generatedName(const std::string& base, int counter);
// group + ":" + leaf under the tree's path rule (runs of ":" collapsed, leading and trailing
// ":" removed), always a valid path. A leaf of colons only, or an empty one, gives an empty
// result, so that callers never address the bare group.
std::string objectPath(const std::string& group, const std::string& leaf);

} // namespace loadsave
