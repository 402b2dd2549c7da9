#pragma once
// Text rules of the tree panes: hyphenation marks, two-line module labels, cuts that count
// characters (never splitting a UTF-8 sequence or a surrogate pair), valid item names.
#include <QString>

#include <functional>
#include <string>

// The text without its "|" hyphenation marks.
QString StripHyphenMarks(const QString& text);
std::string StripHyphenMarks(const std::string& text);

// The label of a module-tree item for a text rectangle of width pixels, measure giving the
// width of a text. A text that fits is shown without marks. Otherwise it breaks after the
// last mark whose head plus "-" still fits (marks tried from the left, the search stopping
// at the first head that does not): head + "-" + "\n" + rest, the rest's last 4 characters
// replaced by "..." when the rest does not fit either. Without a fitting mark the text
// stays whole (word wrap may still break it). Finally "--" becomes "-".
QString HyphenateLabel(const QString& text, int width, const std::function<int(const QString&)>& measure);

// text with its last count characters replaced by with (the whole text when it is shorter).
QString ReplaceLastCharacters(const QString& text, int count, const QString& with);

// The first maxCharacters characters of a UTF-8 text.
std::string CutToCharacters(const std::string& utf8, std::size_t maxCharacters);

// A tool tip that shows text as it stands. Qt takes a tip that looks like markup for rich
// text, so a name such as "Filter <b>rot</b>" is escaped (blanks kept, no wrapping).
QString PlainTipText(const QString& text);

// A name an item may be renamed to: not empty or blank, no ":" and no ";".
bool IsValidItemName(const std::string& name);
