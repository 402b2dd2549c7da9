// Stored row texts, column letters and the SQL texts of both driver profiles.
#include "app/sheet_format.h"

#include <gtest/gtest.h>

using namespace sheet_format;
using Cells = std::vector<std::string>;

TEST(SheetFormat, ParseRowReadsPlainQuotedAndEscapedCells)
{
    struct Row {
        const char* name;
        std::string text;
        std::string separator;
        Cells cells;
    };
    const Row rows[] = {
        {"quoted cells", R"("a";"b")", ";", {"a", "b"}},
        {"bare cells", "a;b;c", ";", {"a", "b", "c"}},
        {"one quoted cell", R"("only")", ";", {"only"}},
        {"one bare cell", "only", ";", {"only"}},
        {"empty line is one empty cell", "", ";", {""}},
        {"empty quoted cells", R"("";"")", ";", {"", ""}},
        {"separator at the end", "a;", ";", {"a", ""}},
        {"separator inside quotes", R"("a;b";"c")", ";", {"a;b", "c"}},
        {"doubled quote", R"("say ""hi""";"x")", ";", {R"(say "hi")", "x"}},
        {"lone quote inside quotes stays", R"("5" and 3";"x")", ";", {R"(5" and 3)", "x"}},
        {"quote inside a bare cell stays", R"(5" disk;x)", ";", {R"(5" disk)", "x"}},
        {"legacy cell with an inner quote", R"("a"b";"c")", ";", {R"(a"b)", "c"}},
        {"unterminated quote runs to the end", R"("abc;d)", ";", {"abc;d"}},
        {"long separator", R"("1",;.?"2,;.?3")", ",;.?", {"1", "2,;.?3"}},
        {"tab separator", "x\ty\t\"z\"", "\t", {"x", "y", "z"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(ParseRow(r.text, r.separator), r.cells);
    }
}

TEST(SheetFormat, EveryCellRoundTrips)
{
    const Cells cells = {"", "\"", "\"\"", "a;b", "\";\"", "end\"", "\"start", " ", "Grün €", ",;.?", "x\t,y"};
    for (const char* separator : {";", ",", "\t", ",;.?"}) {
        SCOPED_TRACE(separator);
        const std::string text = FormatRow(cells, separator);
        EXPECT_EQ(ParseRow(text, separator), cells) << text;
    }
    EXPECT_EQ(FormatRow({"a", "b\"c"}, ";"), R"("a";"b""c")");
}

TEST(SheetFormat, ColumnNumbers)
{
    const Cells headers = {"Name", "Wert", "B", "x1"};
    struct Row {
        const char* column;
        bool letters;
        int number;
    };
    const Row rows[] = {
        {"A", true, 1},   {"B", true, 2},     {"Z", true, 26},    {"AA", true, 27},   {"IV", true, 256},
        {"iv", true, 256}, {"Name", true, 1}, {"Wert", true, 2},  {"B", false, 3},    {"x1", true, 4},
        {"Nope", true, 0}, {"", true, 0},     {"1", true, 0},     {"A1", true, 0},    {"Name", false, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.column) + (r.letters ? " letters" : " names"));
        EXPECT_EQ(ColumnNumber(r.column, r.letters, headers), r.number);
    }
}

TEST(SheetFormat, WorkbookProfileTexts)
{
    const SheetDriverProfile p = SheetDriverProfile::Workbook();
    EXPECT_EQ(p.searchWord, "Excel");
    EXPECT_EQ(ConnectionText(p, "Excel Driver", "/d/b.xls"),
              "DRIVER={Excel Driver};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"/d/b.xls\";DBQ=/d/b.xls");
    EXPECT_EQ(SelectSql(p, "S"), "SELECT * FROM [S$A1:IV65536]");
    EXPECT_EQ(DropSql(p, "S"), "DROP TABLE [S$A1:IV65536]");
    EXPECT_EQ(CreateSql(p, "S", {"a", "b c"}, true), "CREATE TABLE [S$A1:IV65536] ([a] char(255), [b c] char(255))");
    EXPECT_EQ(CreateSql(p, "S", {"a", "b c"}, false), "CREATE TABLE [S] ([a] char(255), [b c] char(255))");
    EXPECT_EQ(InsertSql(p, "S", 2, {"a", "b"}, {"1", "O'Neil"}), "INSERT INTO [S$A1:IV1] ([a], [b]) VALUES ('1', 'O''Neil')");
    EXPECT_EQ(InsertSql(p, "S", 7, {"a", "b"}, {"x"}), "INSERT INTO [S$A1:IV6] ([a]) VALUES ('x')");
    EXPECT_EQ(UpdateSql("S", {"a", "b"}, {"1", "2"}, {"x'; DROP TABLE t; --", "y"}),
              "UPDATE [S] SET [a]='1', [b]='2' WHERE ([a]='x''; DROP TABLE t; --' AND [b]='y')");
}

TEST(SheetFormat, SQLiteProfileTexts)
{
    const SheetDriverProfile p = SheetDriverProfile::SQLite3();
    EXPECT_EQ(p.searchWord, "SQLite3");
    EXPECT_EQ(ConnectionText(p, "SQLite3", "/d/b.xls"), "DRIVER={SQLite3};Database=/d/b.xls;");
    EXPECT_EQ(SelectSql(p, "S"), "SELECT * FROM [S]");
    EXPECT_EQ(DropSql(p, "S"), "DROP TABLE [S]");
    EXPECT_EQ(CreateSql(p, "S", {"a"}, true), "CREATE TABLE [S] ([a] char(255))");
    EXPECT_EQ(InsertSql(p, "S", 9, {"a"}, {"''"}), "INSERT INTO [S] ([a]) VALUES ('''''')");
}

TEST(SheetFormat, NamesWithBracketsAreRefused)
{
    EXPECT_TRUE(IsValidName("Messung 1 (nm)"));
    EXPECT_FALSE(IsValidName("a]b"));
    EXPECT_FALSE(IsValidName("[a"));
}
