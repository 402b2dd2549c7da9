#pragma once
// The rules of the script editor without a widget: which pieces of a text get which colour,
// the caret text, the script pieces that drops from the trees insert, and the argument a
// drop with CTRL replaces.
#include "platform/colorref.h"

#include <QString>

#include <optional>
#include <vector>

namespace script {

enum class SyntaxStyle {
    Plain,    // a word that is neither keyword nor type
    Keyword,  // bold, RGB(0,50,200)
    Type,     // bold, RGB(0,200,50)
    String,   // RGB(120,0,0)
    Comment,  // italic, RGB(0,160,0)
    Number,   // RGB(0,0,255)
    Octal,    // RGB(128,0,0): two or more characters from "0", without "x" and "."
    BadHex,   // RGB(255,0,0): "0x" with nothing after it
};

struct SyntaxSpan {
    int start;
    int length;
    SyntaxStyle style;
    bool operator==(const SyntaxSpan&) const = default;
};

// Where a range ends: inside nothing, an open block comment or an open string.
enum class SyntaxState { Normal = 0, InComment = 1, InString = 2 };

struct SyntaxResult {
    std::vector<SyntaxSpan> spans; // words and coloured pieces, left to right
    SyntaxState end = SyntaxState::Normal;
};

// Classifies [from, to) of text, which begins in state start. A piece that starts in the
// range and runs on (a comment, a string) ends at `to`; single other characters give no span.
SyntaxResult SyntaxSpans(const QString& text, int from, int to, SyntaxState start = SyntaxState::Normal);

// Text colour, bold and italic of a style; the base is RGB(10,10,10), neither.
COLORREF StyleColour(SyntaxStyle style);
bool StyleBold(SyntaxStyle style);
bool StyleItalic(SyntaxStyle style);
inline constexpr COLORREF kBaseColour = RGB(10, 10, 10);

// "Pos.:3, 5": 1-based line, 0-based column.
QString CaretText(int line, int column);

// What a dropped module, function, parameter or spectrum inserts; empty when the text does
// not have the form the drop needs (then nothing is inserted).
QString ModuleDropText(const QString& path);
QString FunctionDropText(const QString& text);  // "module path:function"
QString ParameterDropText(const QString& text); // "module path:name|meaning|type|min|max"
QString SpectrumDropText(const QString& text, bool ctrl); // "path" or "path|count"

// The argument a CTRL drop replaces: with the caret after the tenth character, a ")" at or
// after the caret and a "(" or "," before it, the span between the nearer of the two and the
// ")"; blank tells that the inserted text begins with a blank (after a comma).
struct ArgumentRange {
    int start;
    int end;
    bool blank;
    bool operator==(const ArgumentRange&) const = default;
};
std::optional<ArgumentRange> ArgumentSpan(const QString& text, int caret);

} // namespace script
