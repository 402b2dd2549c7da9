#pragma once
// Internal to Xandril: how texts are turned into XML and back.
//
// Every text written (group names, keys, comments, values) becomes valid UTF-8 XML:
// - bytes that do not form valid UTF-8 are taken as Windows-1252 and converted;
// - control characters that XML 1.0 cannot carry (all below 0x20 except tab, LF, CR)
//   are written as the private-use characters U+E000 + byte and turned back on reading;
// - tab, LF and CR are written as character references where the parser would
//   otherwise normalise them, so they come back exactly.
#include <string>
#include <string_view>

namespace ns_xandril::detail {

// Appends text escaped for element content (attribute == false) or for a
// double-quoted attribute value (attribute == true).
void appendEscaped(std::string& out, std::string_view text, bool attribute);

// The text as it stands in a parsed document (converted, not escaped). Returns
// text itself when nothing changes, else a view of scratch.
std::string_view toDocumentForm(std::string_view text, std::string& scratch);

// Inverse of the control-character mapping for a text read from a document.
std::string fromDocumentForm(std::string_view text);

} // namespace ns_xandril::detail
