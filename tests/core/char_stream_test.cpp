#include "core/char_stream.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class CharStreamTest : public testing::Test {
protected:
    // Writes bytes to a new file in the temporary folder and returns its path.
    std::string File(const std::string& bytes)
    {
        const std::string path = m_dir.filePath(QString::number(++m_files)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // All lines of bytes as ReadLine gives them until the end.
    std::vector<std::string> Lines(const std::string& bytes, int bufferSize, int lineSize = 256)
    {
        CCharStream in(bufferSize);
        EXPECT_TRUE(in.Open(File(bytes).c_str()));
        std::vector<std::string> lines;
        std::vector<char> buf(static_cast<std::size_t>(lineSize) + 1, 'X');
        while (!in.IsEOF() && lines.size() <= bytes.size()) {
            in.ReadLine(buf.data(), lineSize);
            EXPECT_EQ(buf[static_cast<std::size_t>(lineSize)], 'X') << "wrote past size";
            lines.emplace_back(buf.data());
        }
        return lines;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

using Lines_t = std::vector<std::string>;

TEST_F(CharStreamTest, EmptyFileIsAtItsEnd)
{
    CCharStream in(16);
    ASSERT_TRUE(in.Open(File("").c_str()));
    EXPECT_TRUE(in.IsEOF());
    EXPECT_EQ(in.GetProgress(), 1.0);
    EXPECT_EQ(in.Get(), '\0');
    char buf[4] = "xyz";
    in.ReadLine(buf, 4);
    EXPECT_STREQ(buf, "");
}

TEST_F(CharStreamTest, SmallBufferHandsOutEveryCharacter)
{
    CCharStream in(4);
    ASSERT_TRUE(in.Open(File("0123456789").c_str()));
    std::string got;
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(in.IsEOF());
        EXPECT_EQ(in.Peek(), '0' + i);
        got += in.Get();
        EXPECT_DOUBLE_EQ(in.GetProgress(), (i + 1) / 10.0);
    }
    EXPECT_EQ(got, "0123456789");
    EXPECT_TRUE(in.IsEOF());
    EXPECT_EQ(in.Get(), '\0');
    EXPECT_EQ(in.Peek(), '\0');
    EXPECT_DOUBLE_EQ(in.GetProgress(), 1.0);
}

TEST_F(CharStreamTest, LineEndsAtEveryBufferSize)
{
    struct Row {
        const char* name;
        std::string bytes;
        int lineSize;
        Lines_t lines;
    };
    const Row rows[] = {
        {"CR LF leaves the LF as an empty line", "abc\r\ndef", 256, {"abc", "", "def"}},
        {"LF CR is one line end", "abc\n\rdef", 256, {"abc", "def"}},
        {"LF and CR alone", "abc\ndef\rghi\n", 256, {"abc", "def", "ghi"}},
        {"CR LF at the end", "abc\r\n", 256, {"abc", ""}},
        {"empty lines", "\n\n", 256, {"", ""}},
        {"blank CR LF line", "a\r\n\r\nb", 256, {"a", "", "", "b"}},
        {"cut line continues", "abcdef\n", 4, {"abc", "def"}},
        {"cut line keeps its CR LF", "abcdefg\r\nx", 4, {"abc", "def", "g", "", "x"}},
        {"line of exactly size-1 is whole", "abc\ndef", 4, {"abc", "def"}},
        {"exact line with CR LF", "abc\r\nxyz", 4, {"abc", "", "xyz"}},
        {"size 1 only takes line ends", "\n\r\n", 1, {"", ""}},
        {"line ends inside long runs",
            "0123456789abcdefghij\r\n0123456789abcdefghijklmnopqrstuvwxyz\n\r0123456789ABCDEFG\rxyz", 256,
            {"0123456789abcdefghij", "", "0123456789abcdefghijklmnopqrstuvwxyz", "0123456789ABCDEFG", "xyz"}},
        {"NUL bytes do not stop the reader", std::string("a\0b\nc", 5), 256, {"a", "c"}},
    };
    for (const Row& r : rows) {
        for (int bufferSize : {1, 2, 3, 4, 1024}) {
            SCOPED_TRACE(testing::Message() << r.name << ", buffer " << bufferSize);
            EXPECT_EQ(Lines(r.bytes, bufferSize, r.lineSize), r.lines);
        }
    }
}

TEST_F(CharStreamTest, OverlongLineComesInPiecesWithNothingLost)
{
    std::string line;
    for (int i = 0; i < 10000; ++i)
        line += static_cast<char>('a' + i % 26);
    for (int bufferSize : {7, 120000}) {
        const Lines_t pieces = Lines(line + "\r\nend", bufferSize, 100);
        // 101 pieces of 99 characters, the last character, the LF's empty line, "end".
        ASSERT_EQ(pieces.size(), 104u);
        std::string joined;
        for (std::size_t i = 0; i < 101; ++i) {
            EXPECT_EQ(pieces[i].size(), 99u);
            joined += pieces[i];
        }
        joined += pieces[101];
        EXPECT_EQ(joined, line);
        EXPECT_EQ(pieces[102], "");
        EXPECT_EQ(pieces[103], "end");
    }
}

TEST_F(CharStreamTest, TokensStopBeforeDelimiters)
{
    CCharStream in(3);
    ASSERT_TRUE(in.Open(File("  key=value;\t# note\n ,,last abcdefghij").c_str()));
    char buf[8];
    in.SkipWhitespace();
    in.ReadToken(buf, 8, "=;", 2, true);
    EXPECT_STREQ(buf, "key");
    EXPECT_EQ(in.Get(), '=');
    in.ReadToken(buf, 8, "=;", 2, true);
    EXPECT_STREQ(buf, "value");
    in.SkipChars(";,", 2, '#', true);
    in.ReadToken(buf, 8, nullptr, 0, true);
    EXPECT_STREQ(buf, "last");
    in.SkipWhitespace();
    // A token longer than size - 1 leaves its rest for the next call.
    in.ReadToken(buf, 8, nullptr, 0, true);
    EXPECT_STREQ(buf, "abcdefg");
    in.ReadToken(buf, 8, nullptr, 0, true);
    EXPECT_STREQ(buf, "hij");
    EXPECT_TRUE(in.IsEOF());
    in.ReadToken(buf, 8, nullptr, 0, true);
    EXPECT_STREQ(buf, "");
}

TEST_F(CharStreamTest, CommentsEndAtCarriageReturnToo)
{
    CCharStream in(5);
    ASSERT_TRUE(in.Open(File("; a; b\r;c\n x").c_str()));
    in.SkipChars(nullptr, 0, ';', true);
    EXPECT_EQ(in.Get(), 'x');
}

TEST_F(CharStreamTest, ReadNumber)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        const char* text;
        char point;
        double value;
        const char* rest; // what the next reads see
    };
    const Row rows[] = {
        {"-12.5e+2", '.', -1250, ""},
        {"1E5", '.', 100000, ""},
        {"1.", '.', 0, ""},
        {"+x", '.', 0, "x"},
        {"7 8", '.', 7, " 8"},
        {"12abc", '.', 12, "abc"},
        {"3,25;", ',', 3.25, ";"},
        {"3,25", '.', 3, ",25"},
        {"-0.5E-1", '.', -0.05, ""},
        {"2.5e", '.', 0, ""},
        {"2.5e-x", '.', 0, "x"},
        {"", '.', 0, ""},
        // Malformed exponents end at 0 or infinity without long loops or overflow.
        {"1e99999999999999999999", '.', inf, ""},
        {"-1e400", '.', -inf, ""},
        {"1e-99999999999999999999", '.', 0, ""},
        {"0e99999999999999999999", '.', 0, ""},
        {"1e0009", '.', 1e9, ""},
        {"1", '\0', 1, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        CCharStream in(4);
        ASSERT_TRUE(in.Open(File(r.text).c_str()));
        EXPECT_DOUBLE_EQ(in.ReadNumber(r.point), r.value);
        std::string rest;
        while (!in.IsEOF())
            rest += in.Get();
        EXPECT_EQ(rest, r.rest);
    }
}

TEST_F(CharStreamTest, ReadIntsAndDoubles)
{
    // Ints saturate before their absolute value is taken; missing values are 0.
    CCharStream ints(4);
    ASSERT_TRUE(ints.Open(File("-7  8\r\n2147483647 -2147483648 99999999999 -99999999999 abc 12x\n").c_str()));
    std::vector<int> i(9, -1);
    EXPECT_TRUE(ints.ReadInts(i.data(), 9));
    EXPECT_EQ(i, (std::vector<int>{7, 8, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 12, 0}));
    EXPECT_TRUE(ints.IsEOF());

    CCharStream doubles(4);
    ASSERT_TRUE(doubles.Open(File(" 1.5\t-2e3\r\n x 0.25 \r\n").c_str()));
    std::vector<double> d(6, -1.0);
    EXPECT_TRUE(doubles.ReadDoubles(d.data(), 6));
    EXPECT_EQ(d, (std::vector<double>{1.5, -2000, 0, 0.25, 0, 0}));
    EXPECT_TRUE(doubles.IsEOF());
}

TEST_F(CharStreamTest, OpenFailsForMissingFileAndFolder)
{
    const std::string file = File("abc\n");
    const std::string missing = m_dir.filePath("missing.txt").toStdString();
    const std::string folder = m_dir.path().toStdString();
    for (const std::string& bad : {missing, folder}) {
        SCOPED_TRACE(bad);
        CCharStream in(4);
        ASSERT_TRUE(in.Open(file.c_str()));
        EXPECT_EQ(in.Get(), 'a');
        // A failed open drops the file that was open and leaves the reader at its end.
        EXPECT_FALSE(in.Open(bad.c_str()));
        EXPECT_TRUE(in.IsEOF());
        EXPECT_EQ(in.Get(), '\0');
        char buf[8] = "xyz";
        in.ReadLine(buf, 8);
        EXPECT_STREQ(buf, "");
        EXPECT_EQ(in.GetProgress(), 1.0);
        // The reader can be used again.
        ASSERT_TRUE(in.Open(file.c_str()));
        in.ReadLine(buf, 8);
        EXPECT_STREQ(buf, "abc");
    }
    CCharStream in(4);
    EXPECT_FALSE(in.Open(nullptr));
    EXPECT_TRUE(in.IsEOF());
}

TEST_F(CharStreamTest, ProgressOfAFileOver4GB)
{
    // A sparse file: 4 GiB + 100 bytes, only "ab" written at its start.
    const std::string path = File("ab");
    const off_t size = (off_t(1) << 32) + 100;
    if (::truncate(path.c_str(), size) != 0)
        GTEST_SKIP() << "no sparse file of 4 GiB here";
    CCharStream in(1024);
    ASSERT_TRUE(in.Open(path.c_str()));
    char buf[16];
    in.ReadLine(buf, 16);
    EXPECT_STREQ(buf, "ab");
    for (int i = 0; i < 200; ++i)
        in.Get();
    EXPECT_GT(in.GetProgress(), 0.0);
    EXPECT_LT(in.GetProgress(), 1e-6);
}

} // namespace
