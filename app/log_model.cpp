#include "app/log_model.h"

#include <cstdio>

namespace {

// Length of text without a UTF-8 sequence that was cut off at its end.
std::size_t WholeUtf8Length(const char* text, std::size_t length)
{
    std::size_t lead = length;
    int continuation = 0;
    while (lead > 0 && continuation < 4 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
        --lead;
        ++continuation;
    }
    if (lead == 0)
        return length;
    const auto c = static_cast<unsigned char>(text[lead - 1]);
    std::size_t expected = 1;
    if ((c & 0xE0) == 0xC0)
        expected = 2;
    else if ((c & 0xF0) == 0xE0)
        expected = 3;
    else if ((c & 0xF8) == 0xF0)
        expected = 4;
    if (expected > 1 && static_cast<std::size_t>(continuation) + 1 < expected)
        return lead - 1;
    return length;
}

} // namespace

std::string LogModel::FormatMessage(const char* format, va_list args)
{
    if (!format)
        return {};
    char buffer[kFormatBufferSize];
    const int needed = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (needed < 0)
        return {};
    if (static_cast<std::size_t>(needed) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(needed));
    return std::string(buffer, WholeUtf8Length(buffer, sizeof buffer - 1));
}

void LogModel::AddMessage(const std::string& format, const std::string& text)
{
    m_lastFormat = format;
    std::size_t blank = std::string::npos;
    if (text.size() > kSplitPosition) {
        std::size_t colon = text.find(':', kSplitPosition);
        if (colon == std::string::npos)
            colon = text.size();
        blank = text.rfind(' ', colon);
    }
    if (blank == std::string::npos) {
        // Short, or long without a blank before the split point: one line.
        m_lines.push_back(text);
    } else {
        m_lines.push_back(text.substr(0, blank) + "...");
        m_colours.push_back(kDefaultColour);
        m_lines.push_back("..." + text.substr(blank));
    }
    m_colours.push_back(kDefaultColour);
    // The oldest line goes once per message. A split message adds two lines, so the one drop
    // alone would let a run of long messages grow the list without end: it never exceeds 513.
    std::size_t drop = m_lines.size() > kMaxLines ? 1 : 0;
    if (m_lines.size() - drop > kMaxLines + 1)
        drop = m_lines.size() - (kMaxLines + 1);
    for (; drop > 0; --drop) {
        m_lines.pop_front();
        m_colours.pop_front();
    }
}

void LogModel::AddColorMessage(COLORREF colour, const std::string& format, const std::string& text)
{
    AddMessage(format, text);
    m_colours.back() = colour;
}

int MaxLogTopLine(int lineCount, int linesPerPage)
{
    if (lineCount < linesPerPage)
        return 0;
    return lineCount - linesPerPage + 1;
}
