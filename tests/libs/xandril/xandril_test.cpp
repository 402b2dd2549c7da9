#include "support/temp_dir.h"

#include <xandril/xandril.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using namespace ns_xandril;
using test_support::TempDir;
namespace fs = std::filesystem;

namespace {

using test_support::ReadFile;
using test_support::WriteFile;

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A document that holds one group of keys in the writer's own layout.
std::string document(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\"><group name=\"G\">" + body
        + "</group></xandril>\n";
}

} // namespace

TEST(XandrilStrings, RoundTripExactlyAsNamesCommentsAndValues)
{
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"empty", ""},
        {"plain", "Spektrum 1"},
        {"outer blanks", "  x  "},
        {"only blanks", "   "},
        {"CR LF and lone CR, LF", "a\r\nb\nc\rd\r\n"},
        {"tabs", "\ta\t\tb\t"},
        {"markup characters", "<a href=\"x\">&amp; 'q' ]]> </a>"},
        {"umlauts and 4-byte UTF-8", "Grün ÄÖÜß € \xF0\x9F\x98\x80"},
        {"colons as in tree paths", "::Gruppe:Sub:"},
        {"control bytes and NUL", std::string("a\x01" "b\x1f" "c\0d\x0b", 8)},
    };

    TempDir dir;
    const std::string path = dir.file("strings.xml");
    XMLWriteModul writer;
    for (const auto& row : rows) {
        ASSERT_TRUE(writer.enterGroup(row.text));
        writer.writeString(row.text, row.text, row.text);
        writer.writeInt("n", row.text, 7);
        ASSERT_TRUE(writer.leaveGroup());
    }
    ASSERT_TRUE(writer.writeToFile(path));

    XMLReadModul reader;
    reader.readFromFile(path);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(reader.enterGroup(row.text));
        std::string comment = "unset";
        std::string value = "unset";
        ASSERT_TRUE(reader.readString(row.text, comment, value));
        EXPECT_EQ(value, row.text);
        EXPECT_EQ(comment, row.text);
        int n = 0;
        ASSERT_TRUE(reader.readInt("n", comment, n));
        EXPECT_EQ(comment, row.text);
        EXPECT_TRUE(reader.leaveGroup());
    }
}

TEST(XandrilStrings, Windows1252BytesAreWrittenAsUtf8)
{
    TempDir dir;
    const std::string path = dir.file("latin.xml");
    const std::string latin = "M\xFCller \x80 \x81"; // "Müller € " and an unassigned byte
    XMLWriteModul writer;
    writer.enterGroup(latin);
    writer.writeString(latin, "", latin);
    ASSERT_TRUE(writer.writeToFile(path));

    const std::string file = ReadFile(path);
    EXPECT_EQ(file.find('\xFC'), std::string::npos) << "a raw Windows-1252 byte reached the file";

    XMLReadModul reader;
    reader.readFromFile(path);
    // The same Windows-1252 name still finds the group and the key.
    ASSERT_TRUE(reader.enterGroup(latin));
    std::string value;
    ASSERT_TRUE(reader.readString(latin, value));
    EXPECT_EQ(value, "M\xC3\xBCller \xE2\x82\xAC \xC2\x81");
}

TEST(XandrilStrings, UndeclaredWindows1252FilesAreRead)
{
    TempDir dir;
    const std::string path = dir.file("windows.xml");
    WriteFile(path, document("<string key=\"Gr\xFC\xDF" "e\">M\xFC" "ller \x80</string>"));
    XMLReadModul reader;
    reader.readFromFile(path);
    ASSERT_TRUE(reader.enterGroup("G"));
    std::string value;
    ASSERT_TRUE(reader.readString("Grüße", value));
    EXPECT_EQ(value, "Müller €");
}

TEST(XandrilNumbers, RoundTripBitForBit)
{
    const double doubles[] = {
        1.7976931348623157e308, -1.7976931348623157e308, DBL_MIN, std::numeric_limits<double>::denorm_min(),
        -0.0, 0.0, 0.1, 1.0 / 3.0, 380.0, -2.5e-300, 123456789012345678.0,
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    const int ints[] = {INT_MIN, INT_MAX, 0, -1, 0xFFFFFF};
    const int count = static_cast<int>(std::size(doubles));

    TempDir dir;
    const std::string path = dir.file("numbers.xml");
    XMLWriteModul writer;
    for (int i = 0; i < count; ++i)
        writer.writeDouble("d" + std::to_string(i), "", doubles[i]);
    for (std::size_t i = 0; i < std::size(ints); ++i)
        writer.writeInt("i" + std::to_string(i), "", ints[i], INT_MIN, INT_MAX);
    writer.write1DDoubleArray("arr", "Werte", doubles, count);
    writer.write1DDoubleArray("empty", "", nullptr, 0);
    ASSERT_TRUE(writer.writeToFile(path));

    XMLReadModul reader;
    reader.readFromFile(path);
    std::string comment;
    for (int i = 0; i < count; ++i) {
        double d = 42;
        ASSERT_TRUE(reader.readDouble("d" + std::to_string(i), comment, d)) << i;
        EXPECT_TRUE(sameBits(d, doubles[i])) << i << ": " << d;
    }
    for (std::size_t i = 0; i < std::size(ints); ++i) {
        int v = 42, lo = 42, hi = 42;
        ASSERT_TRUE(reader.readInt("i" + std::to_string(i), comment, v, lo, hi));
        EXPECT_EQ(v, ints[i]);
        EXPECT_EQ(lo, INT_MIN);
        EXPECT_EQ(hi, INT_MAX);
    }

    double* values = nullptr;
    int n = -1;
    ASSERT_TRUE(reader.read1DDoubleArray("arr", comment, values, n));
    ASSERT_EQ(n, count);
    EXPECT_EQ(comment, "Werte");
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(sameBits(values[i], doubles[i])) << i;
    delete[] values;

    std::vector<double> vec{1, 2};
    ASSERT_TRUE(reader.read1DDoubleArray("empty", comment, vec));
    EXPECT_TRUE(vec.empty());
}

TEST(XandrilArrays, MillionPointsRoundTripThroughBothOverloads)
{
    // 1,000,000 numbers of 17 to 19 characters: the text is far above libxml2's
    // default limit of 10 MB for one text.
    const int n = 1'000'000;
    std::vector<double> data(n);
    for (int i = 0; i < n; ++i)
        data[i] = std::sin(i * 0.001) / 3.0 + i * 1e-7;

    TempDir dir;
    const std::string path = dir.file("huge.xml");
    {
        XMLWriteModul writer;
        writer.enterGroup("Spectrum");
        writer.write1DDoubleArray("YVals", "", data.data(), n);
        ASSERT_TRUE(writer.writeToFile(path));
    }
    ASSERT_GT(fs::file_size(path), 10'000'000u);

    XMLReadModul reader;
    reader.readFromFile(path);
    ASSERT_TRUE(reader.enterGroup("Spectrum"));
    std::string comment;
    std::vector<double> vec;
    ASSERT_TRUE(reader.read1DDoubleArray("YVals", comment, vec));
    EXPECT_EQ(vec, data);

    double* values = nullptr;
    int count = 0;
    ASSERT_TRUE(reader.read1DDoubleArray("YVals", comment, values, count));
    ASSERT_EQ(count, n);
    EXPECT_TRUE(std::equal(values, values + n, data.begin()));
    delete[] values;
}

TEST(XandrilGroups, NestedWalksKeepOnePositionPerLevel)
{
    // Lists of LEDs of parameters, as a module stores its LED lists; other groups
    // and keys stand between the walked ones.
    TempDir dir;
    const std::string path = dir.file("walk.xml");
    XMLWriteModul writer;
    writer.enterGroup("LEDLists");
    const std::vector<std::vector<std::vector<std::string>>> lists = {
        {{"a1", "a2"}, {}, {"c1"}},
        {{"d1", "d2", "d3"}},
    };
    for (const auto& list : lists) {
        writer.enterGroup("LEDList");
        for (const auto& led : list) {
            writer.enterGroup("Other");
            writer.leaveGroup();
            writer.enterGroup("LED");
            for (const auto& param : led) {
                writer.enterGroup("Param");
                writer.writeString("ParamName", "", param);
                writer.leaveGroup();
                writer.writeString("Between", "", "x");
            }
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }
    writer.writeString("After", "", "after");
    writer.leaveGroup();
    ASSERT_TRUE(writer.writeToFile(path));

    XMLReadModul reader;
    reader.readFromFile(path);
    ASSERT_TRUE(reader.enterGroup("LEDLists"));
    std::vector<std::vector<std::vector<std::string>>> read;
    if (reader.enterFirstGroup("LEDList")) {
        do {
            read.emplace_back();
            if (reader.enterFirstGroup("LED")) {
                do {
                    read.back().emplace_back();
                    if (reader.enterFirstGroup("Param")) {
                        do {
                            std::string name;
                            EXPECT_TRUE(reader.readString("ParamName", name));
                            read.back().back().push_back(name);
                            EXPECT_TRUE(reader.leaveGroup());
                        } while (reader.enterNextGroup());
                    }
                    EXPECT_TRUE(reader.leaveGroup());
                } while (reader.enterNextGroup());
            }
            EXPECT_TRUE(reader.leaveGroup());
        } while (reader.enterNextGroup());
    }
    EXPECT_EQ(read, lists);

    // The failed enterNextGroup left the reader in "LEDLists".
    std::string after;
    EXPECT_TRUE(reader.readString("After", after));
    EXPECT_EQ(after, "after");
    EXPECT_FALSE(reader.enterNextGroup());
    EXPECT_TRUE(reader.leaveGroup());
    EXPECT_FALSE(reader.leaveGroup()) << "the top cannot be left";
    EXPECT_FALSE(reader.enterNextGroup()) << "no walk was started at the top";
}

TEST(XandrilGroups, UnclaimedGroupsAreHandedOutInOrderPerParent)
{
    TempDir dir;
    const std::string path = dir.file("claims.xml");
    XMLWriteModul writer;
    for (const char* parent : {"Modules", "Other"}) {
        writer.enterGroup(parent);
        for (int k = 0; k < 3; ++k) {
            writer.enterGroup("Save_TabbedData");
            writer.writeInt("k", "", k);
            writer.leaveGroup();
            writer.enterGroup("Save_SaveXML");
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }
    ASSERT_TRUE(writer.writeToFile(path));

    XMLReadModul reader;
    reader.readFromFile(path);
    std::string comment;
    using Names = std::vector<std::string>;
    for (const char* parent : {"Modules", "Other"}) {
        SCOPED_TRACE(parent);
        ASSERT_TRUE(reader.enterGroup(parent));
        EXPECT_EQ(reader.unclaimedGroups(), (Names{"Save_TabbedData", "Save_SaveXML", "Save_TabbedData",
                                                   "Save_SaveXML", "Save_TabbedData", "Save_SaveXML"}));
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(reader.enterUnclaimedGroup("Save_TabbedData"));
            int v = -1;
            EXPECT_TRUE(reader.readInt("k", comment, v));
            EXPECT_EQ(v, k);
            reader.leaveGroup();
            // Plain entering does not count as a claim.
            ASSERT_TRUE(reader.enterGroup("Save_TabbedData"));
            reader.leaveGroup();
        }
        EXPECT_FALSE(reader.enterUnclaimedGroup("Save_TabbedData"));
        EXPECT_TRUE(reader.enterUnclaimedGroup("Save_SaveXML"));
        reader.leaveGroup();
        // What no claim took, in document order.
        EXPECT_EQ(reader.unclaimedGroups(), (Names{"Save_SaveXML", "Save_SaveXML"}));
        reader.leaveGroup();
    }
}

TEST(XandrilKeys, MissingKeysWrongKindsAndBadNumbersLeaveOutputsUnchanged)
{
    TempDir dir;
    const std::string path = dir.file("keys.xml");
    WriteFile(path, document("<string key=\"s\">text</string>"
                             "<int key=\"plain\">5</int>"
                             "<int key=\"bigint\">99999999999</int>"
                             "<int key=\"badint\">5x</int>"
                             "<int key=\"badmin\" min=\"a\" max=\"9\">5</int>"
                             "<double key=\"baddouble\">1,5</double>"
                             "<double key=\"overflow\">1e400</double>"
                             "<doubles key=\"badarr\">1 2 x 4</doubles>"
                             "<doubles key=\"short\" count=\"3\">1 2</doubles>"
                             "<doubles key=\"handmade\">\n 1.5\t2.5\r\n</doubles>"));

    XMLReadModul reader;
    reader.readFromFile(path);
    ASSERT_TRUE(reader.enterGroup("G"));
    EXPECT_FALSE(reader.enterGroup("Missing"));

    std::string comment = "c";
    std::string text = "t";
    int value = 1, min = 2, max = 3;
    double d = 4;
    for (const char* key : {"missing", "s", "bigint", "badint", "badmin"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(reader.readInt(key, comment, value, min, max));
        if (std::string(key) != "badmin") {
            EXPECT_FALSE(reader.readInt(key, comment, value));
        }
    }
    for (const char* key : {"missing", "plain", "baddouble", "overflow"})
        EXPECT_FALSE(reader.readDouble(key, comment, d)) << key;
    EXPECT_FALSE(reader.readString("plain", comment, text));
    EXPECT_FALSE(reader.readString("missing", text));
    EXPECT_EQ(comment, "c");
    EXPECT_EQ(text, "t");
    EXPECT_EQ(value, 1);
    EXPECT_EQ(min, 2);
    EXPECT_EQ(max, 3);
    EXPECT_EQ(d, 4);

    std::vector<double> vec{9};
    for (const char* key : {"missing", "s", "badarr", "short"}) {
        SCOPED_TRACE(key);
        double* values = &d;
        int count = 7;
        EXPECT_FALSE(reader.read1DDoubleArray(key, comment, values, count));
        EXPECT_EQ(values, nullptr);
        EXPECT_EQ(count, 0);
        EXPECT_FALSE(reader.read1DDoubleArray(key, comment, vec));
        EXPECT_EQ(vec, std::vector<double>{9});
    }

    // Written without min and max: the value is read, min and max stay.
    EXPECT_TRUE(reader.readInt("plain", comment, value, min, max));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(min, 2);
    EXPECT_EQ(max, 3);
    EXPECT_EQ(comment, "");
    // Blanks of any kind separate array elements.
    EXPECT_TRUE(reader.read1DDoubleArray("handmade", comment, vec));
    EXPECT_EQ(vec, (std::vector<double>{1.5, 2.5}));

    // A reader without a document finds nothing.
    XMLReadModul empty;
    EXPECT_FALSE(empty.enterGroup("G"));
    EXPECT_FALSE(empty.enterFirstGroup("G"));
    EXPECT_FALSE(empty.readString("s", text));
    EXPECT_FALSE(empty.leaveGroup());
}

TEST(XandrilFiles, BadFilesThrowNamingTheFileAndTheReason)
{
    TempDir dir;
    WriteFile(dir.file("empty.xml"), "");
    WriteFile(dir.file("truncated.xml"), "<?xml version=\"1.0\"?>\n<xandril><group name=\"A\"><int key=\"k\">1</in");
    WriteFile(dir.file("text.xml"), "SpecName;SpecColor\n1;2\n");
    WriteFile(dir.file("binary.xml"), std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));
    WriteFile(dir.file("laughs.xml"), "<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">"
                                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                                      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n"
                                      "<xandril><string key=\"s\">&c;</string></xandril>");
    WriteFile(dir.file("external.xml"), "<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY e SYSTEM "
                                        "\"file:///etc/passwd\">]>\n<xandril><string key=\"s\">&e;</string></xandril>");
    WriteFile(dir.file("undeclared.xml"), "<xandril><string key=\"s\">&e;</string></xandril>");
    fs::create_directory(dir.file("folder.xml"));

    const struct {
        const char* file;
        const char* reason;
    } rows[] = {
        {"missing.xml", "No such file"},   {"folder.xml", "folder"},
        {"empty.xml", "empty"},            {"truncated.xml", "line"},
        {"text.xml", "line 1"},            {"binary.xml", ""},
        {"laughs.xml", "document type"},   {"external.xml", "document type"},
        {"undeclared.xml", "line 1"},
    };

    // A failed read keeps the document read before.
    const std::string good = dir.file("good.xml");
    WriteFile(good, document("<string key=\"s\">kept</string>"));
    XMLReadModul reader;
    reader.readFromFile(good);
    ASSERT_TRUE(reader.enterGroup("G"));

    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = dir.file(row.file);
        try {
            reader.readFromFile(path);
            ADD_FAILURE() << "no exception";
        } catch (const XMLException& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(path), std::string::npos) << what;
            EXPECT_NE(what.find(row.reason), std::string::npos) << what;
        }
        std::string value;
        EXPECT_TRUE(reader.readString("s", value));
        EXPECT_EQ(value, "kept");
    }
}

TEST(XandrilFiles, FailedWritesReturnFalseAndKeepTheOldFileWhole)
{
    TempDir dir;
    const std::string target = dir.file("project.xml");
    WriteFile(target, "old content");
    ::chmod(target.c_str(), 0640);
    WriteFile(dir.file("plain"), "a regular file");
    fs::create_directory(dir.file("folder"));

    XMLWriteModul writer;
    writer.enterGroup("Spectrums");
    std::vector<double> values(5000, 1.0 / 3.0);
    writer.write1DDoubleArray("XVals", "", values.data(), static_cast<int>(values.size()));

    EXPECT_FALSE(writer.writeToFile(""));
    EXPECT_FALSE(writer.writeToFile(dir.file("missing/x.xml")));
    // Tests may run as root, who may write into read-only folders; a path under a
    // regular file cannot be written by anyone.
    EXPECT_FALSE(writer.writeToFile(dir.file("plain/x.xml")));
    EXPECT_FALSE(writer.writeToFile(dir.file("folder")));
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));

    // A write that fails half-way (file size limit, as on a full disk).
    {
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool ok = writer.writeToFile(target);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(ReadFile(target), "old content");

    // Every failure cleaned up its temporary file.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"folder", "plain", "project.xml"}));

    // A successful write replaces the file and keeps its permissions; groups still
    // open are closed in the file and the writer can go on.
    ASSERT_TRUE(writer.writeToFile(target));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writer.writeString("Later", "", "x");
    ASSERT_TRUE(writer.writeToFile(target));
    XMLReadModul reader;
    reader.readFromFile(target);
    ASSERT_TRUE(reader.enterGroup("Spectrums"));
    std::string later;
    EXPECT_TRUE(reader.readString("Later", later));
    EXPECT_TRUE(writer.leaveGroup());
    EXPECT_FALSE(writer.leaveGroup()) << "only one group was open";
}

TEST(XandrilEnum, EntriesAndIndex)
{
    XMLEnumClass e;
    EXPECT_EQ(e.getIndex(), 0);
    EXPECT_FALSE(e.setIndex(0)) << "no entries yet";
    e.addEntry("Linear");
    e.addEntry("Kubisch");
    e.addEntry("");
    EXPECT_EQ(e.getEntryCount(), 3);
    EXPECT_TRUE(e.setIndex(2));
    EXPECT_FALSE(e.setIndex(3));
    EXPECT_FALSE(e.setIndex(-1));
    EXPECT_EQ(e.getIndex(), 2);
    EXPECT_EQ(e.getEntry(1), "Kubisch");
    EXPECT_EQ(e.getEntry(3), "");

    XMLEnumClass copy(e);
    copy.setIndex(0);
    copy.addEntry("Spline");
    EXPECT_EQ(e.getIndex(), 2);
    EXPECT_EQ(e.getEntryCount(), 3);
    copy.clearEntries();
    EXPECT_EQ(copy.getEntryCount(), 0);
    EXPECT_EQ(copy.getIndex(), 0);
}

TEST(XandrilText, Windows1252BothWays)
{
    // Every byte, alone and all in a row, comes back from UTF-8 as it was.
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(TextToUtf8(one)), one) << b;
        all += one;
    }
    EXPECT_EQ(Utf8ToCp1252(TextToUtf8(all)), all);
    EXPECT_EQ(TextToUtf8("\x80\xFC\x9F"), "\xE2\x82\xAC\xC3\xBC\xC5\xB8");

    const struct {
        std::string utf8;
        std::string cp1252;
    } cases[] = {
        {"Gr\xC3\xBCn", "Gr\xFCn"},
        {"\xE2\x82\xAC \xE2\x80\x9E\xE2\x80\x9C", "\x80 \x84\x93"}, // euro, German quotes
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},                           // first and last Latin-1 letters
        {"\xC2\x81\xC2\x9D", "\x81\x9D"},                           // unassigned bytes keep their C1 point
        {"\xC2\x80", "?"},                                          // a C1 point that has no byte
        {"\xCE\xA9\xF0\x9F\x98\x80", "??"},                         // Greek, emoji: no byte
        {"\xFF\xC3", "\xFF\xC3"},                                   // not UTF-8: already Windows-1252
        {"\xEF\xBF\xBE", "\xEF\xBF\xBE"},                           // U+FFFE is read byte by byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(Utf8ToCp1252("a\xCE\xA9", '_'), "a_");

    std::size_t length = 0;
    EXPECT_EQ(Cp1252At("\xCE\xA9", 0, length), -1);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(Cp1252At("x\xE2\x82\xAC", 1, length), 0x80);
    EXPECT_EQ(length, 3u);
}
