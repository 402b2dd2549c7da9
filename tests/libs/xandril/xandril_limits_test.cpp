// Hostile and very large documents: nesting at and beyond the limit, array counts that cannot
// be right, huge files that are no XML, and the streaming writer against the one in memory.
#include "support/temp_dir.h"

#include <xandril/xandril.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace ns_xandril;
using test_support::TempDir;
namespace fs = std::filesystem;

namespace {

using test_support::ReadFile;
using test_support::WriteFile;

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// levels nested elements `tag` below the root (groups named "G"), the key "k" in the deepest
// when key is set.
std::string nestedDocument(int levels, const std::string& tag, bool key)
{
    const std::string open = tag == "group" ? "<group name=\"G\">" : "<" + tag + ">";
    const std::string close = "</" + tag + ">";
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\">";
    for (int i = 0; i < levels; ++i)
        text += open;
    if (key)
        text += "<string key=\"k\">tief</string>";
    for (int i = 0; i < levels; ++i)
        text += close;
    return text + "</xandril>\n";
}

// Reads the text with both entry points; the exception text of the first that throws.
std::string readBothWays(XMLReadModul& reader, const std::string& text, const std::string& path)
{
    WriteFile(path, text);
    std::string messages;
    for (int way = 0; way < 2; ++way) {
        try {
            if (way == 0)
                reader.readFromMemory(text, path);
            else
                reader.readFromFile(path);
        } catch (const XMLException& e) {
            messages += std::string(way == 0 ? "memory: " : "file: ") + e.what() + "\n";
        }
    }
    return messages;
}

} // namespace

TEST(XandrilLimits, NestingUpToTheLimitIsReadDeeperIsRefused)
{
    TempDir dir;
    const struct {
        int levels;
        const char* tag;
        bool key;
        bool accepted;
    } rows[] = {
        {1, "group", true, true},
        {kMaxNesting - 1, "group", true, true},
        {kMaxNesting, "group", true, true},
        {kMaxNesting + 1, "group", false, false},
        {kMaxNesting + 1, "group", true, false},
        // Deep enough to overflow the stack of any recursive reader above.
        {14000, "group", true, false},
        // Elements that are no groups nest no deeper than groups with their keys.
        {kMaxNesting + 1, "x", false, true},
        {kMaxNesting + 2, "x", false, false},
    };
    const std::string path = dir.file("deep.xml");
    const std::string kept = dir.file("kept.xml");
    WriteFile(kept, nestedDocument(1, "group", true));

    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.levels) + " x " + row.tag);
        XMLReadModul reader;
        reader.readFromFile(kept);
        const std::string messages = readBothWays(reader, nestedDocument(row.levels, row.tag, row.key), path);
        if (!row.accepted) {
            EXPECT_NE(messages.find("memory: cannot read XML file '" + path + "': groups nest deeper than " + std::to_string(kMaxNesting)),
                      std::string::npos)
                << messages;
            EXPECT_NE(messages.find("file: cannot read XML file '" + path + "': groups nest deeper than " + std::to_string(kMaxNesting)),
                      std::string::npos)
                << messages;
            // A refused file leaves the document read before.
            ASSERT_TRUE(reader.enterGroup("G"));
            std::string value;
            EXPECT_TRUE(reader.readString("k", value));
            EXPECT_FALSE(reader.enterGroup("G"));
            continue;
        }
        EXPECT_EQ(messages, "");
        if (!row.key)
            continue;
        for (int i = 0; i < row.levels; ++i)
            ASSERT_TRUE(reader.enterGroup("G")) << "level " << i;
        std::string value;
        EXPECT_TRUE(reader.readString("k", value));
        EXPECT_EQ(value, "tief");
    }
}

TEST(XandrilLimits, ArrayCountsThatCannotBeRightAreRefusedBeforeAllocating)
{
    const struct {
        const char* element;
        std::vector<double> expected; // empty with ok false: refused
        bool ok;
    } rows[] = {
        {"<doubles key=\"a\" count=\"2\">1 2</doubles>", {1, 2}, true},
        {"<doubles key=\"a\">1 2 3</doubles>", {1, 2, 3}, true},
        {"<doubles key=\"a\" count=\"0\"></doubles>", {}, true},
        {"<doubles key=\"a\" count=\"2147483647\">1 2</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"2147483648\">1 2</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"99999999999999999999\">1</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"-1\"></doubles>", {}, false},
        {"<doubles key=\"a\" count=\"3\">1 2</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"1\">1 2</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"2\">1e999 2</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"2\">1,2</doubles>", {}, false},
        {"<doubles key=\"a\" count=\"2\">1  2 </doubles>", {1, 2}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.element);
        XMLReadModul reader;
        reader.readFromMemory(std::string("<xandril><group name=\"G\">") + row.element + "</group></xandril>", "a");
        ASSERT_TRUE(reader.enterGroup("G"));

        std::string comment = "unverändert";
        std::vector<double> values{42};
        EXPECT_EQ(reader.read1DDoubleArray("a", comment, values), row.ok);
        EXPECT_EQ(comment, row.ok ? "" : "unverändert");
        comment = "unverändert";
        EXPECT_EQ(values, row.ok ? row.expected : std::vector<double>{42});

        double* raw = nullptr;
        int count = -5;
        EXPECT_EQ(reader.read1DDoubleArray("a", comment, raw, count), row.ok);
        if (row.ok) {
            ASSERT_EQ(count, static_cast<int>(row.expected.size()));
            EXPECT_EQ(std::vector<double>(raw, raw + count), row.expected);
        } else {
            EXPECT_EQ(raw, nullptr);
            EXPECT_EQ(count, 0);
        }
        delete[] raw;
        EXPECT_EQ(comment, row.ok ? "" : "unverändert");
    }
}

TEST(XandrilLimits, HugeFilesThatAreNoDocumentAreRefusedAtTheirFirstBytes)
{
    // Sparse files of 2 GiB - 1 bytes: reading them whole would take seconds and gigabytes.
    TempDir dir;
    const struct {
        const char* file;
        std::string head;
        const char* reason;
    } rows[] = {
        {"zeros.pxml", "", "line 1"},
        {"head_then_zeros.pxml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\">\n", "line 3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = dir.file(row.file);
        WriteFile(path, row.head);
        ASSERT_EQ(::truncate(path.c_str(), INT_MAX), 0);
        XMLReadModul reader;
        try {
            reader.readFromFile(path);
            ADD_FAILURE() << "no exception";
        } catch (const XMLException& e) {
            EXPECT_NE(std::string(e.what()).find("cannot read XML file '" + path + "': " + row.reason),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(XandrilWriter, DeepDocumentsStopIndentingAndReadBack)
{
    TempDir dir;
    const std::string path = dir.file("deep.xml");
    XMLWriteModul writer;
    for (int i = 0; i < kMaxNesting; ++i)
        writer.enterGroup("G");
    writer.writeString("k", "", "tief");
    ASSERT_TRUE(writer.writeToFile(path));

    const std::string text = ReadFile(path);
    std::istringstream lines(text);
    std::string line;
    std::vector<std::size_t> indents;
    while (std::getline(lines, line))
        indents.push_back(line.find_first_not_of(' '));
    ASSERT_EQ(indents.size(), 2u * kMaxNesting + 4);
    // Head, root, then one more level per group up to the last indented level.
    EXPECT_EQ(indents[2], 2u);
    EXPECT_EQ(indents[3], 4u);
    EXPECT_EQ(indents[2 + kMaxIndentLevel], 2u * (kMaxIndentLevel + 1));
    EXPECT_EQ(*std::max_element(indents.begin(), indents.end()), 2u * (kMaxIndentLevel + 1));
    EXPECT_EQ(indents[indents.size() - 2], 2u) << "the outermost group closes where it opened";

    XMLReadModul reader;
    reader.readFromFile(path);
    for (int i = 0; i < kMaxNesting; ++i)
        ASSERT_TRUE(reader.enterGroup("G"));
    std::string value;
    EXPECT_TRUE(reader.readString("k", value));
    EXPECT_EQ(value, "tief");
}

namespace {

// A document of several blocks: many groups with arrays, one array longer than a block, and
// two groups left open.
void buildLargeDocument(XMLWriteModul& writer)
{
    std::vector<double> values(401);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = 1.0 / (3.0 + static_cast<double>(i));
    writer.enterGroup("Spectrums");
    for (int s = 0; s < 300; ++s) {
        writer.enterGroup("Spectrum");
        writer.writeString("SpecName", "Name <&>", "Messung:" + std::to_string(s));
        writer.writeInt("SpecColor", "", s, 0, 0xFFFFFF);
        writer.writeDouble("Gain", "", s / 7.0);
        writer.write1DDoubleArray("YVals", "", values.data(), static_cast<int>(values.size()));
        writer.leaveGroup();
    }
    std::vector<double> big(200000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<double>(i) / 9.0;
    writer.enterGroup("Gross");
    writer.write1DDoubleArray("Werte", "", big.data(), static_cast<int>(big.size()));
}

} // namespace

TEST(XandrilWriter, StreamedFileEqualsTheDocumentBuiltInMemory)
{
    TempDir dir;
    const std::string inMemory = dir.file("memory.xml");
    const std::string streamed = dir.file("streamed.xml");
    {
        XMLWriteModul writer;
        buildLargeDocument(writer);
        ASSERT_TRUE(writer.writeToFile(inMemory));
    }
    WriteFile(streamed, "alt");
    {
        XMLWriteModul writer;
        ASSERT_TRUE(writer.streamToFile(streamed));
        EXPECT_FALSE(writer.streamToFile(streamed)) << "one stream per writer";
        buildLargeDocument(writer);
        EXPECT_EQ(folderEntries(dir.path()).size(), 3u) << "the temporary file stands beside the target";
        EXPECT_EQ(ReadFile(streamed), "alt");
        EXPECT_FALSE(writer.writeToFile(inMemory)) << "a streamed document goes to its own target only";
        ASSERT_TRUE(writer.writeToFile(streamed));
        EXPECT_FALSE(writer.writeToFile(streamed)) << "and only once";
    }
    EXPECT_GT(fs::file_size(inMemory), 3u << 20);
    EXPECT_TRUE(ReadFile(streamed) == ReadFile(inMemory));
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"memory.xml", "streamed.xml"}));
}

TEST(XandrilWriter, AbandonedOrFailedStreamsLeaveNoTraceAndTheOldFileWhole)
{
    TempDir dir;
    const std::string target = dir.file("project.xml");
    WriteFile(target, "old content");

    // A writer dropped before it was written.
    {
        XMLWriteModul writer;
        ASSERT_TRUE(writer.streamToFile(target));
        buildLargeDocument(writer);
    }
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"project.xml"}));

    // A folder that does not exist: the document stays in memory and can go elsewhere.
    {
        XMLWriteModul writer;
        EXPECT_FALSE(writer.streamToFile(dir.file("missing/x.xml")));
        writer.enterGroup("G");
        EXPECT_FALSE(writer.writeToFile(dir.file("missing/x.xml")));
        EXPECT_TRUE(writer.writeToFile(dir.file("other.xml")));
        fs::remove(dir.file("other.xml"));
    }

    // Blocks that fail half-way (file size limit, as on a full disk).
    {
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 1 << 20;
        ::setrlimit(RLIMIT_FSIZE, &small);
        bool ok = true;
        {
            XMLWriteModul writer;
            ASSERT_TRUE(writer.streamToFile(target));
            buildLargeDocument(writer);
            ok = writer.writeToFile(target);
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(ReadFile(target), "old content");
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"project.xml"}));
}
