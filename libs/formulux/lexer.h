#pragma once
// Splits a source text into tokens with their line (from 1) and column (characters from 0).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace formulux {

enum class Tok : std::uint8_t {
    End, Number, String, Name,
    // keywords
    If, Else, For, While, Func, Return, Break, Continue, Byte, Short, Int, Float, Double,
    // punctuation
    LParen, RParen, LBracket, RBracket, LBrace, RBrace, Comma, Semicolon, Colon, Dot,
    // operators
    Assign, PlusAssign, MinusAssign, StarAssign, SlashAssign,
    OrOr, AndAnd, Or, And, Eq, Ne, Lt, Le, Gt, Ge,
    Plus, Minus, Star, Slash, Backslash, Percent, DotStar, DotSlash,
    Caret, DotCaret, Not, PlusPlus, MinusMinus, Quote, DotQuote,
};

struct Token {
    Tok kind = Tok::End;
    int line = 1;
    int col = 0;
    std::string text;   // name, string contents or the source text of the token
    double number = 0.0;
};

// Thrown for a lexical or syntax error.
struct CompileError {
    std::string text;
    int line;
    int col;
};

// The whole source as tokens, ended by Tok::End. Throws CompileError.
std::vector<Token> tokenize(std::string_view source);

// The text of a source line (1-based), without its line end.
std::string sourceLine(std::string_view source, int line);

} // namespace formulux
