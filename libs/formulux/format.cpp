#include "formulux/format.h"

#include "formulux/messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <variant>
#include <vector>

namespace formulux {

namespace {

constexpr int kMaxWidth = 1000;

std::string nonFinite(double v) { return std::isnan(v) ? "NaN" : v > 0 ? "Inf" : "-Inf"; }

std::string toChars(double v, std::chars_format fmt, int precision)
{
    char buf[kMaxWidth + 400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, fmt, precision);
    return std::string(buf, r.ptr);
}

bool isIntegral(double v) { return std::isfinite(v) && std::trunc(v) == v; }

struct Spec {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = 0;
    int precision = -1;
    char conv = 0;
};

// Pads a formatted number (sign kept in front of zero padding).
std::string pad(std::string body, const Spec& s, bool numeric)
{
    if (numeric && !body.empty() && body[0] != '-' && body[0] != 'N') {
        if (s.plus)
            body.insert(body.begin(), '+');
        else if (s.space)
            body.insert(body.begin(), ' ');
    }
    if (int(body.size()) >= s.width)
        return body;
    const std::size_t fill = std::size_t(s.width) - body.size();
    if (s.left)
        return body + std::string(fill, ' ');
    if (s.zero && numeric && (std::isdigit(static_cast<unsigned char>(body.back())) || body.back() == '.')) {
        const std::size_t at = !body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ') ? 1 : 0;
        return body.insert(at, fill, '0');
    }
    return std::string(fill, ' ') + body;
}

std::string formatFloat(double v, const Spec& s, char conv)
{
    if (!std::isfinite(v)) {
        Spec t = s;
        t.zero = false;
        return pad(nonFinite(v), t, true);
    }
    const int prec = s.precision < 0 ? 6 : s.precision;
    std::string body;
    switch (conv) {
    case 'f':
    case 'F': body = toChars(v, std::chars_format::fixed, prec); break;
    case 'e':
    case 'E': body = toChars(v, std::chars_format::scientific, prec); break;
    default: body = toChars(v, std::chars_format::general, prec == 0 ? 1 : prec); break;
    }
    if (conv == 'E' || conv == 'G')
        std::transform(body.begin(), body.end(), body.begin(), [](char c) { return c == 'e' ? 'E' : c; });
    return pad(body, s, true);
}

std::string formatInteger(double v, const Spec& s)
{
    const char conv = s.conv;
    const bool unsignedConv = conv == 'x' || conv == 'X' || conv == 'o' || conv == 'u';
    // Not an integer (or negative for an unsigned conversion): shown as %f or %g would.
    if (!isIntegral(v) || std::fabs(v) >= 9.0e18 || (unsignedConv && v < 0)) {
        Spec g = s;
        g.precision = -1;
        if (!std::isfinite(v))
            return formatFloat(v, g, 'f');
        std::string body = toChars(v, std::chars_format::general, 17);
        // The shortest text that reads back to the same value.
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        body.assign(buf, r.ptr);
        return pad(body, g, true);
    }
    const long long n = static_cast<long long>(v);
    const int base = conv == 'x' || conv == 'X' ? 16 : conv == 'o' ? 8 : 10;
    char buf[80];
    const unsigned long long mag = n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    const auto r = std::to_chars(buf, buf + sizeof buf, mag, base);
    std::string digits(buf, r.ptr);
    if (conv == 'X')
        std::transform(digits.begin(), digits.end(), digits.begin(), [](char c) { return char(std::toupper(c)); });
    if (s.precision >= 0 && int(digits.size()) < s.precision)
        digits.insert(0, std::size_t(s.precision) - digits.size(), '0');
    std::string prefix = n < 0 ? "-" : "";
    if (s.alt && base == 16 && n != 0)
        prefix += conv == 'X' ? "0X" : "0x";
    if (s.alt && base == 8 && digits[0] != '0')
        prefix += '0';
    digits = prefix + digits;
    Spec t = s;
    if (s.precision >= 0)
        t.zero = false;
    return pad(digits, t, true);
}

// One item of the flattened arguments: a whole text or one number.
using Item = std::variant<double, std::string>;

std::string formatItem(const Item& item, const Spec& s)
{
    if (const auto* text = std::get_if<std::string>(&item)) {
        std::string t = *text;
        if (s.conv == 's' && s.precision >= 0 && int(t.size()) > s.precision)
            t.resize(std::size_t(s.precision));
        return pad(t, s, false);
    }
    const double v = std::get<double>(item);
    switch (s.conv) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o': return formatInteger(v, s);
    case 'c':
        if (isIntegral(v) && std::fabs(v) < 256)
            return pad(std::string(1, static_cast<char>(static_cast<int>(v) & 0xFF)), s, false);
        return formatInteger(v, s);
    case 's': {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        Spec t = s;
        t.precision = -1;
        return pad(std::isfinite(v) ? std::string(buf, r.ptr) : nonFinite(v), t, false);
    }
    default: return formatFloat(v, s, s.conv);
    }
}

// A parsed template: literal pieces and conversions.
struct Piece {
    std::string literal;
    bool isConversion = false;
    Spec spec;
};

int readNumber(std::string_view f, std::size_t& i)
{
    long long n = 0;
    while (i < f.size() && std::isdigit(static_cast<unsigned char>(f[i]))) {
        n = n * 10 + (f[i] - '0');
        if (n > kMaxWidth)
            fail(msg::kBadFormat);
        ++i;
    }
    return int(n);
}

std::vector<Piece> parseTemplate(std::string_view f)
{
    std::vector<Piece> pieces;
    std::string literal;
    for (std::size_t i = 0; i < f.size();) {
        if (f[i] != '%') {
            literal += f[i++];
            continue;
        }
        ++i;
        if (i < f.size() && f[i] == '%') {
            literal += '%';
            ++i;
            continue;
        }
        Piece p;
        for (; i < f.size(); ++i) {
            const char c = f[i];
            if (c == '-') p.spec.left = true;
            else if (c == '+') p.spec.plus = true;
            else if (c == ' ') p.spec.space = true;
            else if (c == '0') p.spec.zero = true;
            else if (c == '#') p.spec.alt = true;
            else break;
        }
        p.spec.width = readNumber(f, i);
        if (i < f.size() && f[i] == '.') {
            ++i;
            p.spec.precision = readNumber(f, i);
        }
        while (i < f.size() && (f[i] == 'l' || f[i] == 'h'))
            ++i;
        if (i >= f.size())
            fail(msg::kBadFormat);
        const char conv = f[i++];
        if (std::string_view("diuxXofFeEgGcs").find(conv) == std::string_view::npos)
            fail(msg::kBadFormat); // also %n and *
        p.spec.conv = conv;
        p.isConversion = true;
        p.literal = std::move(literal);
        literal.clear();
        pieces.push_back(std::move(p));
    }
    Piece tail;
    tail.literal = std::move(literal);
    pieces.push_back(std::move(tail));
    return pieces;
}

} // namespace

std::string num2str(double v)
{
    v = v == 0 ? 0.0 : v; // no "-0"
    if (!std::isfinite(v))
        return nonFinite(v);
    if (isIntegral(v))
        return toChars(v, std::chars_format::fixed, 0);
    double digits = std::floor(std::log10(std::fabs(v)));
    if (!std::isfinite(digits))
        digits = 0;
    const int n = int(std::clamp(digits + 5.0, 5.0, 16.0));
    return toChars(v, std::chars_format::general, n);
}

std::string formatText(const CMCVariable& format, Args args, const Context& ctx)
{
    const std::vector<Piece> pieces = parseTemplate(format.toText());
    std::vector<Item> items;
    for (const CMCVariable& a : args) {
        if (a.isText()) {
            items.emplace_back(a.toText());
            continue;
        }
        for (std::size_t i = 0; i < a.numel(); ++i)
            items.emplace_back(a.data()[i]);
    }
    const bool hasConversion = pieces.size() > 1;
    std::string out;
    std::size_t next = 0;
    for (;;) {
        for (const Piece& p : pieces) {
            out += p.literal;
            if (p.isConversion && next >= items.size() && !items.empty())
                return out; // the data ran out inside a repetition
            if (p.isConversion && next < items.size())
                out += formatItem(items[next++], p.spec);
            ctx.checkSize(1, double(out.size()));
        }
        if (!hasConversion || next >= items.size())
            return out;
    }
}

std::string displayText(const CMCVariable& v)
{
    if (v.isText())
        return v.toText() + "\n";
    if (v.isEmpty())
        return std::string();
    if (v.isScalar())
        return num2str(v.scalar()) + "\n";
    const double* p = v.data();
    bool integral = true;
    double maxAbs = 0;
    for (std::size_t i = 0; i < v.numel(); ++i) {
        integral = integral && (isIntegral(p[i]) || !std::isfinite(p[i]));
        if (std::isfinite(p[i]))
            maxAbs = std::max(maxAbs, std::fabs(p[i]));
    }
    std::vector<std::string> cells(v.numel());
    std::size_t width = 0;
    for (std::size_t i = 0; i < v.numel(); ++i) {
        const double x = p[i] == 0 ? 0.0 : p[i]; // no "-0"
        if (!std::isfinite(x))
            cells[i] = nonFinite(x);
        else if (integral)
            cells[i] = toChars(x, std::chars_format::fixed, 0);
        else if (maxAbs < 1e5)
            cells[i] = toChars(x, std::chars_format::fixed, 4);
        else
            cells[i] = toChars(x, std::chars_format::scientific, 4);
        width = std::max(width, cells[i].size());
    }
    std::string out;
    for (int r = 0; r < v.getRows(); ++r) {
        for (int c = 0; c < v.getCols(); ++c) {
            const std::string& cell = cells[std::size_t(c) * v.getRows() + r];
            out += std::string(3 + width - cell.size(), ' ') + cell;
        }
        out += '\n';
    }
    return out;
}

} // namespace formulux
