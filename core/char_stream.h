#pragma once
// CCharStream: sequential reader of one text file through a fixed-size buffer,
// with the character, line, token and number operations of the text loaders.
// It never seeks and never writes.

#include <cstddef>
#include <cstdint>
#include <memory>

class CCharStream {
public:
    // bufferSize bytes are read per refill (at least 1).
    explicit CCharStream(int bufferSize);
    virtual ~CCharStream();

    CCharStream(const CCharStream&) = delete;
    CCharStream& operator=(const CCharStream&) = delete;

    // Closes a file still open and opens path for reading. A missing file, a
    // folder, a pipe, a device or anything else that is no regular file gives
    // false at once and a reader that is at its end at once.
    bool Open(const char* path);

    // Reads the next block into the buffer and starts at its beginning.
    void Fill();

    bool IsEOF() const { return m_position >= m_buffer.get() + m_filled; }
    // The next character, not consumed; 0 at the end.
    char Peek() const { return IsEOF() ? '\0' : *m_position; }
    // The next character, consumed; 0 at the end (nothing changes then).
    char Get()
    {
        if (IsEOF())
            return '\0';
        const char c = *m_position;
        Advance(1);
        return c;
    }

    // True when whitespace is set and ch is a blank, tab, CR or LF, or when ch
    // is one of the n characters of set.
    static bool IsOneOf(char ch, const char* set, int n, bool whitespace);

    // Characters taken so far / file size; 1.0 for an empty file.
    double GetProgress() const;
    // Bytes the file held at Open that are not taken yet; 0 when its size was not known
    // (an empty file, or one that reports no size).
    std::uint64_t BytesLeft() const { return m_fileSize > m_consumed ? m_fileSize - m_consumed : 0; }
    bool SizeKnown() const { return m_fileSize > 0; }

    // Copies the line up to (not including) its CR or LF into buf, at most
    // size - 1 characters, zero-terminated. Then takes one LF if it comes next
    // and then one CR if it comes next: "\n", "\r" and "\n\r" end a line whole,
    // of "\r\n" only the CR is taken, so an empty line follows. A line longer
    // than size - 1 is cut and its rest is the next line; a line of exactly
    // size - 1 characters is not cut and its line end is taken as usual.
    void ReadLine(char* buf, int size);

    // Copies characters until the end or until the next one satisfies IsOneOf
    // (left unconsumed), at most size - 1, zero-terminated. The rest of a longer
    // token is left for the next call.
    void ReadToken(char* buf, int size, const char* delimiters, int n, bool whitespace);

    // Takes blanks, tabs, CR and LF.
    void SkipWhitespace();
    // Takes characters of set (and white space when whitespace is set) and
    // comments, which run from commentChar to the next CR or LF (left for the
    // white-space rule).
    void SkipChars(const char* set, int n, char commentChar, bool whitespace);

    // [sign] digits [decimalPoint digits] [(e|E) [sign] digits]; 0 for a
    // malformed number (what was read stays consumed).
    double ReadNumber(char decimalPoint);

    // count blank-separated numbers; missing ones are 0. Both return true.
    bool ReadDoubles(double* values, int count);
    // As ReadDoubles, storing the absolute value of each integer; numbers out of
    // int range give INT_MAX.
    bool ReadInts(int* values, int count);

private:
    void Close();
    // Takes n characters that are in the buffer.
    void Advance(std::size_t n)
    {
        m_position += n;
        m_consumed += n;
        if (m_position == m_buffer.get() + m_filled)
            Fill();
    }

    std::uint64_t m_consumed = 0;
    std::uint64_t m_fileSize = 0;
    int m_capacity;
    std::size_t m_filled = 0;
    std::unique_ptr<char[]> m_buffer;
    const char* m_position;
    int m_file = -1;
};
