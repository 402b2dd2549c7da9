// The text layer the loaders share: logical lines, number prefixes with an explicit mark,
// names as UTF-8 and the group taken from a file name.
#include "text_layer.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>
#include <vector>

using namespace loadsave;

namespace {

std::vector<std::string> Lines(std::string_view text)
{
    LineReader reader(text);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

} // namespace

TEST(LineReader, EveryLineEndGivesTheSameLines)
{
    using L = std::vector<std::string>;
    const struct {
        const char* name;
        std::string text;
        L lines;
    } rows[] = {
        {"CR LF", "a\r\nbb\r\n", L{"a", "bb"}},
        {"LF", "a\nbb\n", L{"a", "bb"}},
        {"CR", "a\rbb\r", L{"a", "bb"}},
        {"mixed", "a\r\nbb\nc\rd", L{"a", "bb", "c", "d"}},
        {"last line without end", "a\r\nbb", L{"a", "bb"}},
        {"empty lines stay", "a\r\n\r\n\nb", L{"a", "", "", "b"}},
        {"LF CR is two ends", "a\n\rb", L{"a", "", "b"}},
        {"byte order mark", "\xEF\xBB\xBF" "a\nb", L{"a", "b"}},
        {"only a mark", "\xEF\xBB\xBF", L{}},
        {"empty", "", L{}},
        {"NUL bytes are text", std::string("a\0b\nc", 5), L{std::string("a\0b", 3), "c"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Lines(row.text), row.lines);
    }
}

TEST(LineReader, LongLinesAreNotSplitAndBlankLinesArePassedOver)
{
    const std::string longLine(1 << 20, 'x');
    EXPECT_EQ(Lines(longLine + "\r\nend"), (std::vector<std::string>{longLine, "end"}));

    LineReader reader("first\r\n \t\r\n\r\n  second\n");
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    ASSERT_TRUE(reader.NextNonBlank(line, true));
    EXPECT_EQ(line, "second");
    EXPECT_FALSE(reader.NextNonBlank(line, true));
    EXPECT_TRUE(line.empty());
}

TEST(NumberText, DoublePrefixFollowsStrtodWithTheGivenMark)
{
    const struct {
        const char* text;
        char mark;
        double value;
        std::size_t used;
    } rows[] = {
        {"380.5", '.', 380.5, 5},
        {"380,5", '.', 380, 3},
        {"380,5", ',', 380.5, 5},
        {"380.5", ',', 380, 3},
        {"  -1.25e2xyz", '.', -125, 9},
        {"+.5", '.', 0.5, 3},
        {"5.", '.', 5, 2},
        {"1e", '.', 1, 1},
        {"1e+", '.', 1, 1},
        {"\t7;8", '.', 7, 2},
        {".", '.', 0, 0},
        {"-", '.', 0, 0},
        {"", '.', 0, 0},
        {"abc", '.', 0, 0},
        {"inf", '.', 0, 0},
        {"-infinity", '.', 0, 0},
        {"nan", '.', 0, 0},
        {"0x1A", '.', 0, 1},
        {"1e999", '.', DBL_MAX, 5},
        {"-1e999", '.', -DBL_MAX, 6},
        {"1e-999", '.', 0, 6},
        // Past the plain-decimal shortcut: correctly rounded all the same.
        {"9007199254740993", '.', 9007199254740992.0, 16},
        {"0.30000000000000000001", '.', 0.3, 22},
        {"12345678901234567890123", ',', 1.2345678901234568e22, 23},
        {"1,5e3", ',', 1500, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::size_t used = 99;
        const double value = parseDoublePrefix(row.text, row.mark, &used);
        EXPECT_DOUBLE_EQ(value, row.value);
        EXPECT_EQ(used, row.used);
    }
    // A number longer than the stack buffer that swaps the mark.
    EXPECT_DOUBLE_EQ(parseDoublePrefix("0," + std::string(200, '0') + "1", ','), 1e-201);
}

TEST(NumberText, WholeNumbersAndIntPrefixes)
{
    EXPECT_EQ(parseWholeDouble(" 0.25 ", '.'), 0.25);
    EXPECT_EQ(parseWholeDouble("0,25", ','), 0.25);
    EXPECT_EQ(parseWholeDouble("0", '.'), 0.0);
    EXPECT_FALSE(parseWholeDouble("0,25", '.'));
    EXPECT_FALSE(parseWholeDouble("3D-Modell", '.'));
    EXPECT_FALSE(parseWholeDouble("", '.'));
    EXPECT_FALSE(parseWholeDouble("1e999", '.'));
    EXPECT_FALSE(parseWholeDouble("nan", '.'));

    const struct {
        const char* text;
        int value;
    } ints[] = {{"42", 42},        {" -7x", -7},           {"2.7", 2},           {"3Probe", 3},
                {"abc", 0},        {"", 0},                {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
                {"1e999", 1}};
    for (const auto& row : ints) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parseIntPrefix(row.text), row.value);
    }
    EXPECT_EQ(parseIntPrefix(std::string_view("12345", 2)), 12) << "reads only the view";
}

TEST(NumberText, DecimalMarkRule)
{
    EXPECT_EQ(decimalMarkOf("380;1;2"), '.');
    EXPECT_EQ(decimalMarkOf("380.5;1,25"), ',') << "a comma wins";
    EXPECT_FALSE(holdsDecimalMark("380;1;2"));
    EXPECT_TRUE(holdsDecimalMark("380;1.5"));
}

TEST(Names, DecodedAsUtf8OrWindows1252)
{
    EXPECT_EQ(decodeName("M\xC3\xBCller"), "M\xC3\xBCller") << "valid UTF-8 stays";
    EXPECT_EQ(decodeName("M\xFCller \x80"), "M\xC3\xBCller \xE2\x82\xAC") << "0x80 is the euro sign";
    EXPECT_EQ(decodeName("\x93" "Zitat\x94"), "\xE2\x80\x9CZitat\xE2\x80\x9D");
}

TEST(Names, GroupFromFileName)
{
    const struct {
        const char* path;
        const char* group;
    } rows[] = {
        {"/daten/Messung!LED?rot.txt", "rot"},
        {"/daten/Messung.2024.txt", "Messung.2024"},
        {"/daten.d/Messung", "Messung"},
        {"Messung!a!b.txt", "a!b"},
        {"/daten/ Serie 1 .csv", "Serie 1"},
        {"/daten/.txt", ""},
        {"/daten/M\xFCller.txt", "M\xC3\xBCller"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(groupFromFileName(row.path), row.group);
    }
}

TEST(Names, ObjectPathsNeverAddressTheBareGroup)
{
    EXPECT_EQ(objectPath("Import:Serie", "LED"), "Import:Serie:LED");
    EXPECT_EQ(objectPath("", "LED"), "LED");
    EXPECT_EQ(objectPath(":G::", "::a::b:"), "G:a:b");
    EXPECT_EQ(objectPath("G", ""), "");
    EXPECT_EQ(objectPath("G", ":::"), "");
}

TEST(Separators, CleanedAndRefused)
{
    EXPECT_EQ(cleanSeparator(" ; "), ";");
    EXPECT_EQ(cleanSeparator("; |"), ";|");
    EXPECT_EQ(cleanSeparator("   "), "");
    EXPECT_EQ(cleanSeparator(" \\t "), "\t");
    EXPECT_EQ(cleanSeparator(";\\t"), ";\t");
    EXPECT_EQ(cleanSeparator("\\"), "\\");
    EXPECT_EQ(cleanSeparator(""), "");
    EXPECT_TRUE(isRefusedSeparator(cleanSeparator(" . ")));
    EXPECT_TRUE(isRefusedSeparator(","));
    EXPECT_FALSE(isRefusedSeparator(".,"));
    EXPECT_TRUE(isWhitespaceSeparator(""));

    std::vector<std::string> fields;
    const auto collect = [&](std::string_view field) {
        fields.emplace_back(field);
        return true;
    };
    forEachField("1;;2; ", SeparatorSet(";"), false, collect);
    EXPECT_EQ(fields, (std::vector<std::string>{"1", "", "2"})) << "a blank last field is no field";
    fields.clear();
    forEachField("  0  1 ", SeparatorSet(" "), true, collect);
    EXPECT_EQ(fields, (std::vector<std::string>{"0", "1"})) << "runs of blanks separate once";
}
