#include "core/char_stream.h"

#include "core/number_text.h"
#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int kTokenSize = 256;
// Exponents beyond this take any double to 0 or infinity long before.
constexpr int kMaxExponent = 100000;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// First CR or LF in [from, to), or to. Scans 16 bytes per step where SSE2 is there.
const char* FindLineEnd(const char* from, const char* to)
{
    const char* p = from;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; to - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits));
    }
#endif
    for (; p != to; ++p)
        if (*p == '\n' || *p == '\r')
            return p;
    return to;
}

} // namespace

CCharStream::CCharStream(int bufferSize)
    : m_capacity(std::max(bufferSize, 1))
    , m_buffer(new char[static_cast<std::size_t>(m_capacity)])
    , m_position(m_buffer.get())
{
}

CCharStream::~CCharStream()
{
    Close();
}

void CCharStream::Close()
{
    if (m_file >= 0)
        ::close(m_file);
    m_file = -1;
}

bool CCharStream::Open(const char* path)
{
    Close();
    m_consumed = 0;
    m_fileSize = 0;
    m_filled = 0;
    m_position = m_buffer.get();
    if (!path)
        return false;

    // Only a regular file: a pipe would be waited on, a device read without end.
    const int fd = platform::OpenRegularFile(path);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_file = fd;
    m_fileSize = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    Fill();
    return true;
}

void CCharStream::Fill()
{
    ssize_t got = 0;
    if (m_file >= 0) {
        do
            got = ::read(m_file, m_buffer.get(), static_cast<std::size_t>(m_capacity));
        while (got < 0 && errno == EINTR);
    }
    // A read error ends the stream like the end of the file.
    m_filled = got > 0 ? static_cast<std::size_t>(got) : 0;
    m_position = m_buffer.get();
}

bool CCharStream::IsOneOf(char ch, const char* set, int n, bool whitespace)
{
    if (whitespace && IsBlank(ch))
        return true;
    return set && n > 0 && std::memchr(set, ch, static_cast<std::size_t>(n)) != nullptr;
}

double CCharStream::GetProgress() const
{
    if (m_fileSize == 0)
        return 1.0;
    return static_cast<double>(m_consumed) / static_cast<double>(m_fileSize);
}

void CCharStream::ReadLine(char* buf, int size)
{
    if (!buf || size <= 0)
        return;
    buf[0] = '\0';
    if (IsEOF())
        return;

    // Copy whole runs out of the buffer up to the line end or the count.
    const auto room = static_cast<std::size_t>(size - 1);
    std::size_t stored = 0;
    while (stored < room && !IsEOF()) {
        const char* end = m_buffer.get() + m_filled;
        const char* limit = m_position + std::min(static_cast<std::size_t>(end - m_position), room - stored);
        const char* stop = FindLineEnd(m_position, limit);
        const auto n = static_cast<std::size_t>(stop - m_position);
        std::memcpy(buf + stored, m_position, n);
        stored += n;
        Advance(n);
        if (stop != limit)
            break;
    }
    buf[stored] = '\0';

    // A cut line is followed by neither; its rest is the next line.
    if (Peek() == '\n')
        Get();
    if (Peek() == '\r')
        Get();
}

void CCharStream::ReadToken(char* buf, int size, const char* delimiters, int n, bool whitespace)
{
    if (!buf || size <= 0)
        return;
    int stored = 0;
    while (stored < size - 1 && !IsEOF() && !IsOneOf(Peek(), delimiters, n, whitespace))
        buf[stored++] = Get();
    buf[stored] = '\0';
}

void CCharStream::SkipWhitespace()
{
    while (!IsEOF() && IsBlank(Peek()))
        Get();
}

void CCharStream::SkipChars(const char* set, int n, char commentChar, bool whitespace)
{
    while (!IsEOF()) {
        const char c = Peek();
        if (c == commentChar) {
            while (!IsEOF() && Peek() != '\n' && Peek() != '\r')
                Get();
        } else if (IsOneOf(c, set, n, whitespace)) {
            Get();
        } else {
            break;
        }
    }
}

double CCharStream::ReadNumber(char decimalPoint)
{
    // Takes a sign when one comes next; true for '-'.
    const auto takeSign = [this] { return (Peek() == '+' || Peek() == '-') && Get() == '-'; };

    if (IsEOF())
        return 0.0;
    const bool negative = takeSign();
    if (!IsDigit(Peek()))
        return 0.0;

    double value = 0.0;
    while (IsDigit(Peek()))
        value = value * 10.0 + (Get() - '0');

    if (!IsEOF() && Peek() == decimalPoint) {
        Get();
        if (!IsDigit(Peek()))
            return 0.0;
        double f = 0.1;
        while (IsDigit(Peek())) {
            value += (Get() - '0') * f;
            f /= 10.0;
        }
    }

    if (Peek() == 'e' || Peek() == 'E') {
        Get();
        const bool negativeExponent = takeSign();
        if (!IsDigit(Peek()))
            return 0.0;
        // All digits are taken; the exponent saturates, and the scaling stops
        // as soon as the value is 0 or infinite.
        int exponent = 0;
        while (IsDigit(Peek())) {
            const int digit = Get() - '0';
            exponent = std::min(exponent * 10 + digit, kMaxExponent);
        }
        for (int i = 0; i < exponent && value != 0.0 && std::isfinite(value); ++i)
            value = negativeExponent ? value / 10.0 : value * 10.0;
    }
    return negative ? -value : value;
}

namespace {

// count white-space separated tokens, each handed to store(i, token); the white
// space behind the last one is taken too.
template <typename Store>
void ReadTokens(CCharStream& in, int count, Store store)
{
    char token[kTokenSize];
    for (int i = 0; i < count; ++i) {
        in.SkipWhitespace();
        in.ReadToken(token, kTokenSize - 1, nullptr, 0, true);
        store(i, token);
    }
    in.SkipWhitespace();
}

} // namespace

bool CCharStream::ReadDoubles(double* values, int count)
{
    ReadTokens(*this, count, [values](int i, const char* token) { values[i] = number_text::ToDouble(token); });
    return true;
}

bool CCharStream::ReadInts(int* values, int count)
{
    ReadTokens(*this, count, [values](int i, const char* token) {
        int v = 0;
        number_text::ToInt(token, v); // saturates out of range
        values[i] = v == INT_MIN ? INT_MAX : std::abs(v);
    });
    return true;
}
