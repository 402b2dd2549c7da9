// A file written in pieces: every byte arrives in order however the pieces fall on the
// blocks, and a replacement that is not committed (or whose file cannot be made) leaves the
// old file as it was and no temporary file behind.
#include "platform/file_contents.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using test_support::TempDir;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t FilesIn(const TempDir& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++n;
    return n;
}

// Text of length bytes that shows a lost, repeated or moved piece.
std::string Pattern(std::size_t length, std::size_t seed)
{
    std::string text;
    for (std::size_t i = 0; text.size() < length; ++i)
        text += std::to_string(seed * 1000003 + i) + (i % 7 == 0 ? "\r\n" : ",");
    text.resize(length);
    return text;
}

TEST(FileReplacement, PiecesArriveInOrderAcrossBlocks)
{
    struct Case {
        const char* what;
        std::vector<std::size_t> pieces; // appended then spilled, one after another
        bool written;                    // the last piece through Write instead
    };
    const Case cases[] = {
        {"nothing", {}, false},
        {"one small piece", {10}, false},
        {"pieces around one block", {65535, 1, 2, 70000}, false},
        {"many rows", std::vector<std::size_t>(3000, 377), false},
        {"a piece larger than two blocks", {100, 300000, 5}, false},
        {"text then a direct write", {1000, 200000}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("out.txt");
        std::string expected;
        platform::FileReplacement file(path);
        ASSERT_TRUE(file.Ok());
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            const std::string piece = Pattern(c.pieces[i], i);
            expected += piece;
            if (c.written && i + 1 == c.pieces.size()) {
                file.Write(piece);
            } else {
                file.Text() += piece;
                file.Spill();
            }
        }
        ASSERT_TRUE(file.Commit());
        EXPECT_TRUE(ReadAll(path) == expected) << ReadAll(path).size() << " bytes instead of " << expected.size();
        EXPECT_EQ(FilesIn(dir), 1u);
    }
}

TEST(FileReplacement, WithoutCommitTheOldFileStays)
{
    TempDir dir;
    const std::string path = dir.file("out.txt");
    ASSERT_TRUE(platform::ReplaceFileContents(path, "old"));
    {
        platform::FileReplacement file(path);
        file.Text() = Pattern(200000, 1);
        file.Spill();
    }
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(FilesIn(dir), 1u);

    // A folder that does not exist and an empty path: nothing to write to, Commit fails.
    for (const std::string& bad : std::vector<std::string>{dir.file("missing/out.txt"), ""}) {
        platform::FileReplacement file(bad);
        EXPECT_FALSE(file.Ok());
        file.Text() = "x";
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(FilesIn(dir), 1u);
}

} // namespace

// Whole-file reads stop at their limit: a file beyond it is refused as too large before its
// bytes are read (a sparse file of more than 1 GiB costs neither disk nor time), one at the
// limit is read whole.
TEST(FileBytes, RefusesFilesBeyondTheLimit)
{
    TempDir dir;
    const std::string file = (std::filesystem::path(dir.path()) / "f.txt").string();
    const struct {
        const char* name;
        std::uintmax_t size;
        std::size_t limit;
        bool ok;
    } cases[] = {
        {"empty", 0, 16, true},
        {"at the limit", 16, 16, true},
        {"one byte beyond", 17, 16, false},
        {"far beyond", 70000, 100, false},
        {"one byte beyond the default", platform::FileBytes::kMaxBytes + 1, platform::FileBytes::kMaxBytes, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        { std::ofstream(file, std::ios::binary | std::ios::trunc) << "abc"; }
        std::filesystem::resize_file(file, c.size);
        platform::FileBytes bytes;
        EXPECT_EQ(c.limit == platform::FileBytes::kMaxBytes ? bytes.Read(file) : bytes.Read(file, c.limit), c.ok);
        EXPECT_EQ(bytes.TooLarge(), !c.ok);
        EXPECT_EQ(bytes.View().size(), c.ok ? c.size : 0u);
    }
    platform::FileBytes bytes;
    EXPECT_FALSE(bytes.Read(dir.path()));
    EXPECT_FALSE(bytes.TooLarge());
    EXPECT_FALSE(bytes.Read(file + ".fehlt"));
    EXPECT_FALSE(bytes.TooLarge());
}
