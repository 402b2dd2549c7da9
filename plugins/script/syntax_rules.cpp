#include "script/syntax_rules.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace script {

namespace {

constexpr std::array<const char*, 14> kKeywords = {
    "if", "for", "else", "while", "func", "return", "setSpectrum", "setSpectrumAutoName", "getSpectrum",
    "setParameter", "getParameter", "run", "setSpectrumColor", "msgOut"};
constexpr std::array<const char*, 5> kTypes = {"byte", "int", "short", "float", "double"};

template <std::size_t N>
bool IsOneOf(const QString& word, const std::array<const char*, N>& words)
{
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return word == QLatin1String(w); });
}

bool StartsWord(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool ContinuesWord(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The end of a piece that closes with `close` searched from `from`: just after the closing
// text when it lies wholly before `to`, else `to` (and open is set).
int PieceEnd(const QString& text, const QString& close, int from, int to, bool& open)
{
    const int found = text.indexOf(close, from);
    if (found >= 0 && found + close.size() <= to) {
        open = false;
        return found + static_cast<int>(close.size());
    }
    open = true;
    return to;
}

// Range bounds of the type codes that carry a range.
bool IsRanged(int code)
{
    return code == 3 || code == 5 || code == 7 || code == 8;
}

constexpr std::array<const char*, 9> kTypeWords = {"none", "group", "enum",  "byte",  "bool",
                                                   "int",  "string", "float", "double"};

} // namespace

SyntaxResult SyntaxSpans(const QString& text, int from, int to, SyntaxState start)
{
    SyntaxResult out;
    to = std::min(to, static_cast<int>(text.size()));
    int i = std::max(from, 0);
    bool open = false;
    if (start == SyntaxState::InComment && i < to) {
        const int end = PieceEnd(text, QStringLiteral("*/"), i, to, open);
        out.spans.push_back({i, end - i, SyntaxStyle::Comment});
        out.end = open ? SyntaxState::InComment : SyntaxState::Normal;
        i = end;
    } else if (start == SyntaxState::InString && i < to) {
        const int end = PieceEnd(text, QStringLiteral("\""), i, to, open);
        out.spans.push_back({i, end - i, SyntaxStyle::String});
        out.end = open ? SyntaxState::InString : SyntaxState::Normal;
        i = end;
    } else {
        out.end = start;
    }
    while (i < to) {
        const QChar c = text[i];
        const QChar next = i + 1 < to ? text[i + 1] : QChar();
        if (StartsWord(c)) {
            int j = i + 1;
            while (j < to && ContinuesWord(text[j]))
                ++j;
            const QString word = text.mid(i, j - i);
            const SyntaxStyle style = IsOneOf(word, kKeywords) ? SyntaxStyle::Keyword
                : IsOneOf(word, kTypes)                      ? SyntaxStyle::Type
                                                             : SyntaxStyle::Plain;
            out.spans.push_back({i, j - i, style});
            i = j;
        } else if (c == QLatin1Char('"')) {
            const int end = PieceEnd(text, QStringLiteral("\""), i + 1, to, open);
            out.spans.push_back({i, end - i, SyntaxStyle::String});
            if (open)
                out.end = SyntaxState::InString;
            i = end;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
            const int end = PieceEnd(text, QStringLiteral("\n"), i + 2, to, open);
            out.spans.push_back({i, end - i, SyntaxStyle::Comment});
            i = end;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = PieceEnd(text, QStringLiteral("*/"), i + 2, to, open);
            out.spans.push_back({i, end - i, SyntaxStyle::Comment});
            if (open)
                out.end = SyntaxState::InComment;
            i = end;
        } else if (IsDigit(c)) {
            int j = i + 1;
            bool hex = false;
            bool point = false;
            if (c == QLatin1Char('0') && next == QLatin1Char('x')) {
                hex = true;
                ++j;
            }
            while (j < to && (IsDigit(text[j]) || text[j] == QLatin1Char('.'))) {
                point = point || text[j] == QLatin1Char('.');
                ++j;
            }
            const int length = j - i;
            SyntaxStyle style = SyntaxStyle::Number;
            if (hex && length == 2)
                style = SyntaxStyle::BadHex;
            else if (!hex && !point && length >= 2 && c == QLatin1Char('0'))
                style = SyntaxStyle::Octal;
            out.spans.push_back({i, length, style});
            i = j;
        } else {
            ++i;
        }
    }
    return out;
}

COLORREF StyleColour(SyntaxStyle style)
{
    switch (style) {
    case SyntaxStyle::Keyword: return RGB(0, 50, 200);
    case SyntaxStyle::Type: return RGB(0, 200, 50);
    case SyntaxStyle::String: return RGB(120, 0, 0);
    case SyntaxStyle::Comment: return RGB(0, 160, 0);
    case SyntaxStyle::Number: return RGB(0, 0, 255);
    case SyntaxStyle::Octal: return RGB(128, 0, 0);
    case SyntaxStyle::BadHex: return RGB(255, 0, 0);
    case SyntaxStyle::Plain: break;
    }
    return kBaseColour;
}

bool StyleBold(SyntaxStyle style)
{
    return style == SyntaxStyle::Keyword || style == SyntaxStyle::Type;
}

bool StyleItalic(SyntaxStyle style)
{
    return style == SyntaxStyle::Comment;
}

QString CaretText(int line, int column)
{
    return QStringLiteral("Pos.:%1, %2").arg(line).arg(column);
}

QString ModuleDropText(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QStringLiteral("\n\"") + path + QStringLiteral("\"\n");
}

QString FunctionDropText(const QString& text)
{
    const int colon = static_cast<int>(text.lastIndexOf(QLatin1Char(':')));
    if (colon <= 0 || colon + 1 >= text.size())
        return {};
    const QString path = text.left(colon);
    const QString name = text.mid(colon + 1).left(1000);
    return QStringLiteral("\nrun(\"") + path + QStringLiteral("\",\"") + name + QStringLiteral("\");\n");
}

QString ParameterDropText(const QString& text)
{
    // "path:name|meaning|type|min|max". Module paths carry "|" marks and a meaning may hold
    // ":": the four fields are counted from the end, and the path ends at the last ":" before
    // them. A shorter text ends its name at its first "|".
    int bar = static_cast<int>(text.size());
    int bars = 0;
    while (bars < 4 && bar > 0) {
        bar = static_cast<int>(text.lastIndexOf(QLatin1Char('|'), bar - 1));
        if (bar < 0)
            break;
        ++bars;
    }
    if (bars < 4)
        bar = static_cast<int>(text.indexOf(QLatin1Char('|')));
    const QString head = bar < 0 ? text : text.left(bar);
    const int colon = static_cast<int>(head.lastIndexOf(QLatin1Char(':')));
    if (colon <= 0 || colon + 1 >= head.size())
        return {};
    const QString path = text.left(colon);
    const QString name = head.mid(colon + 1);
    const QStringList fields = bar < 0 ? QStringList() : text.mid(bar + 1).split(QLatin1Char('|'));
    const QString meaning = fields.value(0);
    const QString type = fields.value(1);
    QString out = QStringLiteral("\n");
    if (!meaning.isEmpty() || !type.isEmpty()) {
        out += QStringLiteral("//Parameter:") + name;
        bool known = false;
        const int code = type.toInt(&known);
        if (known && code >= 0 && code < static_cast<int>(kTypeWords.size())) {
            out += QStringLiteral(" Typ:") + QLatin1String(kTypeWords[static_cast<std::size_t>(code)]);
            if (IsRanged(code) && !fields.value(2).isEmpty() && !fields.value(3).isEmpty())
                out += QStringLiteral(" [") + fields.value(2) + QStringLiteral(", ") + fields.value(3) +
                       QStringLiteral("]");
            out += QLatin1Char(' ');
        }
        if (!meaning.isEmpty())
            out += QStringLiteral(" Bedeutung:") + meaning + QLatin1Char(' ');
        out += QLatin1Char('\n');
    }
    out += QStringLiteral("get|setParameter(\"") + path + QStringLiteral("\",\"") + name +
           QStringLiteral("\", ...);\n");
    return out;
}

QString SpectrumDropText(const QString& text, bool ctrl)
{
    const int bar = static_cast<int>(text.indexOf(QLatin1Char('|')));
    const QString path = bar < 0 ? text : text.left(bar);
    if (path.isEmpty())
        return {};
    const QString quoted = QLatin1Char('"') + path + QLatin1Char('"');
    if (ctrl)
        return quoted;
    QString out;
    const QString dimension = bar < 0 ? QString() : text.mid(bar + 1);
    if (!dimension.isEmpty())
        out = QStringLiteral("\n//Spektrum double-Datenfeld Dimension:[2, ") + dimension + QStringLiteral("]\n");
    return out + QStringLiteral("getSpectrum(") + quoted + QStringLiteral(");\n");
}

std::optional<ArgumentRange> ArgumentSpan(const QString& text, int caret)
{
    if (caret < 10 || caret > text.size())
        return std::nullopt;
    const int close = static_cast<int>(text.indexOf(QLatin1Char(')'), caret));
    if (close < 0)
        return std::nullopt;
    const int open = static_cast<int>(text.lastIndexOf(QLatin1Char('('), caret - 1));
    const int comma = static_cast<int>(text.lastIndexOf(QLatin1Char(','), caret - 1));
    const int nearer = std::max(open, comma);
    if (nearer < 0)
        return std::nullopt;
    return ArgumentRange{nearer + 1, close, nearer == comma};
}

} // namespace script
