#pragma once
// The lines of the log window without any widget: formatting, splitting of long messages,
// the line cap and the colours. CLogWindowView shows a LogModel.
#include "platform/colorref.h"

#include <cstdarg>
#include <cstddef>
#include <string>
#include <deque>

class LogModel {
public:
    static constexpr COLORREF kDefaultColour = 0x1E3C1E;
    // More lines than this: the oldest goes (one per message, so a split message may leave 513;
    // never more than that).
    static constexpr std::size_t kMaxLines = 512;
    // Messages longer than this are split once, near the first ':' from here on.
    static constexpr std::size_t kSplitPosition = 400;
    // printf buffer of a message: at most 1023 bytes of text.
    static constexpr std::size_t kFormatBufferSize = 1024;

    // Formats with the C printf rules into at most 1023 bytes. A UTF-8 character cut off by the
    // limit is dropped whole; a null format or an encoding error gives "".
    static std::string FormatMessage(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

    // Appends an already formatted message in the default colour; format is kept for Copy.
    void AddMessage(const std::string& format, const std::string& text);
    // The same, then the newest line (the second one of a split message) takes colour.
    void AddColorMessage(COLORREF colour, const std::string& format, const std::string& text);

    const std::deque<std::string>& Lines() const { return m_lines; }
    const std::deque<COLORREF>& Colours() const { return m_colours; }
    std::size_t LineCount() const { return m_lines.size(); }
    // The format text of the newest message, placeholders included.
    const std::string& LastFormat() const { return m_lastFormat; }

private:
    std::deque<std::string> m_lines;
    std::deque<COLORREF> m_colours;
    std::string m_lastFormat;
};

// The highest top line of a log with lineCount lines and linesPerPage visible rows: the last line
// stands at the bottom with one empty row below it; 0 while everything fits on a page.
int MaxLogTopLine(int lineCount, int linesPerPage);
