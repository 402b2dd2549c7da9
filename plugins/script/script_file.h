#pragma once
// Script files ("*.mcc"): read as UTF-8 (other bytes as Windows-1252) with any line end,
// written as UTF-8 with CR LF, the line end of the Windows version's text files.
#include <string>
#include <string_view>

namespace script {

// The bytes of a file as the editor's text: UTF-8, line ends LF.
std::string ScriptFromFile(std::string_view bytes);
// The editor's text as file bytes: every line end CR LF.
std::string ScriptToFile(std::string_view text);

// Reads the file at path into text; false (text untouched) when it cannot be read.
bool LoadScriptFile(const std::string& path, std::string& text);
// Writes text to path through a temporary file; false (the old file kept) on failure.
bool SaveScriptFile(const std::string& path, std::string_view text);

} // namespace script
