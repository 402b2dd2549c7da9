#include "formulux/lexer.h"

#include "formulux/messages.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace formulux {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || isDigit(c); }

constexpr std::array<std::pair<std::string_view, Tok>, 13> kKeywords{{
    {"if", Tok::If}, {"else", Tok::Else}, {"for", Tok::For}, {"while", Tok::While}, {"func", Tok::Func},
    {"return", Tok::Return}, {"break", Tok::Break}, {"continue", Tok::Continue}, {"byte", Tok::Byte},
    {"short", Tok::Short}, {"int", Tok::Int}, {"float", Tok::Float}, {"double", Tok::Double},
}};

// Operators, longest first.
constexpr std::pair<std::string_view, Tok> kOperators[] = {
    {".*", Tok::DotStar}, {"./", Tok::DotSlash}, {".^", Tok::DotCaret}, {".'", Tok::DotQuote},
    {"+=", Tok::PlusAssign}, {"-=", Tok::MinusAssign}, {"*=", Tok::StarAssign}, {"/=", Tok::SlashAssign},
    {"||", Tok::OrOr}, {"&&", Tok::AndAnd}, {"==", Tok::Eq}, {"!=", Tok::Ne}, {"<=", Tok::Le}, {">=", Tok::Ge},
    {"++", Tok::PlusPlus}, {"--", Tok::MinusMinus},
    {"(", Tok::LParen}, {")", Tok::RParen}, {"[", Tok::LBracket}, {"]", Tok::RBracket}, {"{", Tok::LBrace},
    {"}", Tok::RBrace}, {",", Tok::Comma}, {";", Tok::Semicolon}, {":", Tok::Colon}, {".", Tok::Dot},
    {"=", Tok::Assign}, {"|", Tok::Or}, {"&", Tok::And}, {"<", Tok::Lt}, {">", Tok::Gt}, {"+", Tok::Plus},
    {"-", Tok::Minus}, {"*", Tok::Star}, {"/", Tok::Slash}, {"\\", Tok::Backslash}, {"%", Tok::Percent},
    {"^", Tok::Caret}, {"!", Tok::Not}, {"'", Tok::Quote},
};

class Lexer {
public:
    explicit Lexer(std::string_view src) : m_src(src) {}

    std::vector<Token> run()
    {
        std::vector<Token> out;
        for (;;) {
            skipSpaceAndComments();
            Token t;
            t.line = m_line;
            t.col = m_col;
            if (m_pos >= m_src.size()) {
                out.push_back(std::move(t));
                return out;
            }
            const char c = m_src[m_pos];
            if (isDigit(c) || (c == '.' && m_pos + 1 < m_src.size() && isDigit(m_src[m_pos + 1])))
                lexNumber(t);
            else if (isNameStart(c))
                lexName(t);
            else if (c == '"')
                lexString(t);
            else
                lexOperator(t);
            out.push_back(std::move(t));
        }
    }

private:
    [[noreturn]] void fail(std::string_view text, int line, int col) { throw CompileError{std::string(text), line, col}; }

    char peek(std::size_t ahead = 0) const { return m_pos + ahead < m_src.size() ? m_src[m_pos + ahead] : '\0'; }

    // Moves over one byte, counting lines (LF, CR LF, CR) and characters (UTF-8 lead bytes).
    void advance()
    {
        const char c = m_src[m_pos++];
        if (c == '\n' || (c == '\r' && peek() != '\n')) {
            ++m_line;
            m_col = 0;
        } else if (c != '\r' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++m_col;
        }
    }

    void skipSpaceAndComments()
    {
        while (m_pos < m_src.size()) {
            const char c = peek();
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                advance();
            } else if (c == '/' && peek(1) == '/') {
                while (m_pos < m_src.size() && peek() != '\n' && peek() != '\r')
                    advance();
            } else if (c == '/' && peek(1) == '*') {
                const int line = m_line, col = m_col;
                advance();
                advance();
                for (;;) {
                    if (m_pos >= m_src.size())
                        fail(msg::kOpenComment, line, col);
                    if (peek() == '*' && peek(1) == '/') {
                        advance();
                        advance();
                        break;
                    }
                    advance();
                }
            } else {
                return;
            }
        }
    }

    void lexNumber(Token& t)
    {
        t.kind = Tok::Number;
        const std::size_t start = m_pos;
        if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
            advance();
            advance();
            const std::size_t digits = m_pos;
            while (isHex(peek()))
                advance();
            if (m_pos == digits || isNameChar(peek()))
                fail(msg::kBadNumber, t.line, t.col);
            double v = 0.0;
            for (std::size_t i = digits; i < m_pos; ++i) {
                const char h = m_src[i];
                v = v * 16.0 + (isDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
            }
            t.number = v;
            t.text.assign(m_src.substr(start, m_pos - start));
            return;
        }
        while (isDigit(peek()))
            advance();
        // "2.*x" is 2 .* x: a dot before an element-wise operator is not the number's.
        if (peek() == '.' && !(peek(1) == '*' || peek(1) == '/' || peek(1) == '^' || peek(1) == '\'')) {
            advance();
            while (isDigit(peek()))
                advance();
        }
        if ((peek() == 'e' || peek() == 'E')
            && (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
            advance();
            if (peek() == '+' || peek() == '-')
                advance();
            while (isDigit(peek()))
                advance();
        }
        if (isNameChar(peek()) || (peek() == '.' && isDigit(peek(1))))
            fail(msg::kBadNumber, t.line, t.col);
        t.text.assign(m_src.substr(start, m_pos - start));
        t.number = parseDecimal(t.text);
    }

    // Locale-free; a value beyond the double range is Inf (or 0 below it).
    static double parseDecimal(const std::string& text)
    {
        double v = 0.0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec == std::errc::result_out_of_range) {
            const auto e = text.find_first_of("eE");
            const bool zeroMantissa = text.substr(0, e).find_first_of("123456789") == std::string::npos;
            const bool negativeExp = e != std::string::npos && text.find('-', e) != std::string::npos;
            return zeroMantissa || negativeExp ? 0.0 : std::numeric_limits<double>::infinity();
        }
        return v;
    }

    void lexName(Token& t)
    {
        const std::size_t start = m_pos;
        while (isNameChar(peek()))
            advance();
        t.text.assign(m_src.substr(start, m_pos - start));
        t.kind = Tok::Name;
        for (const auto& [word, kind] : kKeywords)
            if (word == t.text)
                t.kind = kind;
    }

    void lexString(Token& t)
    {
        t.kind = Tok::String;
        advance();
        for (;;) {
            const char c = peek();
            if (m_pos >= m_src.size() || c == '\n' || c == '\r')
                fail(msg::kOpenString, t.line, t.col);
            if (c == '"') {
                advance();
                return;
            }
            if (c == '\\') {
                const int line = m_line, col = m_col;
                advance();
                const char e = peek();
                switch (e) {
                case 'n': t.text += '\n'; break;
                case 't': t.text += '\t'; break;
                case '\\': t.text += '\\'; break;
                case '"': t.text += '"'; break;
                default: fail(msg::kBadEscape, line, col);
                }
                advance();
                continue;
            }
            checkUtf8();
            const std::size_t from = m_pos;
            advance();
            while (m_pos < m_src.size() && (static_cast<unsigned char>(peek()) & 0xC0) == 0x80)
                advance();
            t.text.append(m_src.substr(from, m_pos - from));
        }
    }

    // Rejects an invalid UTF-8 sequence or a NUL byte at the current position.
    void checkUtf8()
    {
        const auto b = static_cast<unsigned char>(peek());
        if (b == 0)
            fail(msg::kUnexpectedChar, m_line, m_col);
        if (b < 0x80)
            return;
        int n = 0;
        if (b >= 0xC2 && b <= 0xDF) n = 1;
        else if (b >= 0xE0 && b <= 0xEF) n = 2;
        else if (b >= 0xF0 && b <= 0xF4) n = 3;
        else fail(msg::kUnexpectedChar, m_line, m_col);
        for (int i = 1; i <= n; ++i)
            if ((static_cast<unsigned char>(peek(std::size_t(i))) & 0xC0) != 0x80)
                fail(msg::kUnexpectedChar, m_line, m_col);
        const auto b1 = static_cast<unsigned char>(peek(1));
        if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 > 0x8F))
            fail(msg::kUnexpectedChar, m_line, m_col);
    }

    void lexOperator(Token& t)
    {
        for (const auto& [text, kind] : kOperators) {
            if (m_src.substr(m_pos, text.size()) == text) {
                t.kind = kind;
                t.text.assign(text);
                for (std::size_t i = 0; i < text.size(); ++i)
                    advance();
                return;
            }
        }
        fail(msg::kUnexpectedChar, t.line, t.col);
    }

    std::string_view m_src;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_col = 0;
};

} // namespace

std::vector<Token> tokenize(std::string_view source) { return Lexer(source).run(); }

std::string sourceLine(std::string_view source, int line)
{
    std::size_t pos = 0;
    for (int l = 1; l < line && pos < source.size(); ++pos) {
        if (source[pos] == '\n' || (source[pos] == '\r' && (pos + 1 >= source.size() || source[pos + 1] != '\n')))
            ++l;
    }
    std::size_t end = pos;
    while (end < source.size() && source[end] != '\n' && source[end] != '\r')
        ++end;
    return std::string(source.substr(pos, end - pos));
}

} // namespace formulux
