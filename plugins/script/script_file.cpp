#include "script/script_file.h"

#include "platform/file_contents.h"

#include <xandril/xandril.h>

namespace script {

namespace {

// Every CR LF, CR and LF as LF.
std::string ToLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string ScriptFromFile(std::string_view bytes)
{
    return ToLf(ns_xandril::TextToUtf8(bytes));
}

std::string ScriptToFile(std::string_view text)
{
    const std::string lf = ToLf(text);
    std::string out;
    out.reserve(lf.size() + lf.size() / 16);
    for (char c : lf) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

bool LoadScriptFile(const std::string& path, std::string& text)
{
    platform::FileBytes bytes;
    if (!bytes.Read(path))
        return false;
    text = ScriptFromFile(bytes.View());
    return true;
}

bool SaveScriptFile(const std::string& path, std::string_view text)
{
    return platform::ReplaceFileContents(path, ScriptToFile(text));
}

} // namespace script
