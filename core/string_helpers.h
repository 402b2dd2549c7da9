#pragma once
// Free helpers for texts read from files and forms, tree paths, short result
// names and numbers. All are stateless except ranNorm and ranNorm2, which keep
// the second value of each pair they draw (per thread).

#include <string>

// Text without its leading and trailing characters that occur in chars.
std::string trim(std::string text, const std::string& chars);
std::string ltrim(std::string text, const std::string& chars);
std::string rtrim(std::string text, const std::string& chars);

// Digits, "." (any number of them) and at most one sign; no comma, exponent or
// white space. The empty text counts as a number.
bool isNumber(std::string text);
// True when the text starts (after white space) with a decimal integer in int range.
bool isNumber_stoi(std::string text);
// True for a non-empty text of digits only.
bool isNumber_isdigit(std::string text);

// The tree's path rule (ns_tree::NormalizePath in core/tree.h) applied in place.
void NormColons(std::string& path);

// Removes every c from a zero-terminated text, in place.
void strremove(char* text, char c);
// The same for a standard text, which ends at its first zero byte.
void strremove(std::string* text, char c);

// Shortens a ":"-path to its last level, see the .cpp for the length rule.
void SingleStringProc(std::string& text, unsigned n);
// "A:rot;A:gruen;B:blau", n 3 -> "rot+gru+bla".
void GroupedStringProc(std::string& text, unsigned n);
// A short name from a ":"-path, in place: its first level, "+" and (up to
// maxLen - 1 characters of) its last level, optionally "_<random>" and "_<number>".
void autoname(std::string* text, unsigned maxLen, int number, bool addRandom);

// Fixed notation with precision digits after the decimal point (always ".").
std::string doubleToString(double value, int precision);
// Decimal places of the "%g" text of value, the exponent written with three
// digits: 0.125 -> 3, 1.5e-7 ("1.5e-007") -> 6.
int Nachkommastellen(double value);

// The nearer of floor and ceil; a tie goes up: 2.5 -> 3, -2.5 -> -2.
double runden(double value);
long double runden(long double value);

// Standard normal deviates by the polar method on platform::Rand(); each
// function caches the second value of a pair for its next call.
float ranNorm();
float ranNorm2();
