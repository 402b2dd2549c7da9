// Fuzz target of CCharStream: the same operations on the same file through a buffer of 1 to
// 1024 bytes and through one buffer that holds the whole file must give the same results.
// Input: two bytes buffer size, one byte operation count n, n operation bytes, then the file.
#include "core/char_stream.h"
#include "support/fuzz_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Everything one operation gave, as text (numbers by their bits, so NaN compares too).
std::string Run(CCharStream& s, std::uint8_t op)
{
    char buf[300];
    const int size = 1 + (op >> 3) % 40; // short buffers cut lines and tokens
    auto bits = [](double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        return std::to_string(u);
    };
    switch (op & 7) {
    case 0:
        return std::string(1, s.Peek()) + std::string(1, s.Get());
    case 1:
        s.ReadLine(buf, size);
        return buf;
    case 2:
        s.ReadToken(buf, size, ";,", op & 0x80 ? 2 : 0, op & 0x40);
        return buf;
    case 3:
        s.SkipWhitespace();
        return {};
    case 4:
        s.SkipChars(" x", 2, '#', op & 0x40);
        return {};
    case 5:
        return bits(s.ReadNumber(op & 0x40 ? ',' : '.'));
    case 6: {
        double v[4];
        s.ReadDoubles(v, 1 + (op >> 6));
        std::string r;
        for (int i = 0; i < 1 + (op >> 6); ++i)
            r += bits(v[i]) + " ";
        return r;
    }
    default: {
        int v[4];
        s.ReadInts(v, 1 + (op >> 6));
        std::string r;
        for (int i = 0; i < 1 + (op >> 6); ++i)
            r += std::to_string(v[i]) + " ";
        return r;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int bufferSize = 1 + (data[0] | data[1] << 8) % 1024;
    const std::size_t opCount = std::min<std::size_t>(data[2] % 64, size - 3);
    const std::uint8_t* ops = data + 3;
    const std::uint8_t* file = ops + opCount;
    const std::size_t fileSize = size - 3 - opCount;

    static const fuzz::TempFile in("char_stream.txt");
    in.Write(file, fileSize);
    CCharStream small(bufferSize);
    CCharStream whole(static_cast<int>(fileSize) + 1);
    if (small.Open(in.Path().c_str()) != whole.Open(in.Path().c_str()))
        std::abort();
    // The operations in turn, again and again, until both are at the end (bounded).
    for (std::size_t step = 0; opCount > 0 && step < 4 * fileSize + 64 && !(small.IsEOF() && whole.IsEOF()); ++step) {
        const std::uint8_t op = ops[step % opCount];
        const std::string a = Run(small, op);
        const std::string b = Run(whole, op);
        if (a != b || small.IsEOF() != whole.IsEOF() || small.GetProgress() != whole.GetProgress()) {
            std::fprintf(stderr, "buffer %d differs at step %zu (operation %d)\n", bufferSize, step, op);
            std::abort();
        }
    }
    return 0;
}
