// CSpreadSheet on delimited text files.
#include "app/spreadsheet.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

namespace {

using Cells = std::vector<std::string>;

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class SpreadSheetCsv : public ::testing::Test {
protected:
    test_support::TempDir dir;
    std::string file = dir.file("werte.csv");

    // A sheet of header a;b;c and two data rows, opened without backup.
    void WriteSample() { WriteBytes(file, "\"a\";\"b\";\"c\"\r\n\"1\";\"2\";\"3\"\r\n\"4\";\"5\";\"6\"\r\n"); }
};

} // namespace

TEST_F(SpreadSheetCsv, ReadsLinesOfEveryEndingRaggedRowsAndWindows1252)
{
    // CR LF, LF and CR; a one-cell row; a short row; "\xE4" is a Windows-1252 umlaut.
    WriteBytes(file, "Name;Wert;Einheit\r\nGr\xE4n;1\nallein\r\"x\";\"y\";\"z\";\"\xC3\xBC\"\n");
    CSpreadSheet sheet(file, ";", false);
    EXPECT_EQ(sheet.GetLastErrorMessage(), "");
    EXPECT_EQ(sheet.GetTotalRows(), 4);
    EXPECT_EQ(sheet.GetTotalColumns(), 4);

    Cells row;
    ASSERT_TRUE(sheet.GetRow(row, 3));
    EXPECT_EQ(row, Cells{"allein"});
    ASSERT_TRUE(sheet.GetRow(row, 4));
    EXPECT_EQ(row, (Cells{"x", "y", "z", "ü"}));

    Cells column;
    ASSERT_TRUE(sheet.GetColumn(column, "Wert"));
    EXPECT_EQ(column, (Cells{"Wert", "1", "", "y"}));
    ASSERT_TRUE(sheet.GetColumn(column, 1));
    EXPECT_EQ(column, (Cells{"Name", "Grän", "allein", "x"}));
    ASSERT_TRUE(sheet.GetColumn(column, "D"));
    EXPECT_EQ(column, (Cells{"", "", "", "ü"}));
}

TEST_F(SpreadSheetCsv, CellsWithQuotesAndSeparatorsComeBack)
{
    const Cells header = {"Probe", "Kommentar"};
    const Cells data = {"a;b", "er sagte \"ja\";\"nein\""};
    {
        CSpreadSheet sheet(file, ";", false);
        ASSERT_TRUE(sheet.SetHeaderRow(header)) << sheet.GetLastErrorMessage();
        ASSERT_TRUE(sheet.PutRow(data)) << sheet.GetLastErrorMessage();
    }
    EXPECT_EQ(ReadBytes(file), "\"Probe\";\"Kommentar\"\r\n\"a;b\";\"er sagte \"\"ja\"\";\"\"nein\"\"\"\r\n");
    CSpreadSheet again(file, ";", false);
    Cells row;
    ASSERT_TRUE(again.GetRow(row, 2));
    EXPECT_EQ(row, data);
    EXPECT_EQ(again.GetTotalColumns(), 2);
}

TEST_F(SpreadSheetCsv, RowBeyondTheEndIsReachedThroughEmptyRows)
{
    WriteBytes(file, "\"a\";\"b\";\"c\"\r\n\"1\";\"2\"\r\n");
    CSpreadSheet sheet(file, ";", false);
    ASSERT_TRUE(sheet.PutRow({"x"}, 5));
    EXPECT_EQ(sheet.GetTotalRows(), 5);
    EXPECT_EQ(ReadBytes(file), "\"a\";\"b\";\"c\"\r\n\"1\";\"2\"\r\n\"\";\"\";\"\"\r\n\"\";\"\";\"\"\r\n\"x\"\r\n");
    Cells row;
    ASSERT_TRUE(sheet.GetRow(row, 4));
    EXPECT_EQ(row, (Cells{"", "", ""}));
}

TEST_F(SpreadSheetCsv, PutRowAppendsReplacesAndInserts)
{
    WriteSample();
    CSpreadSheet sheet(file, ";", false);
    ASSERT_TRUE(sheet.PutRow({"7", "8", "9"}));            // appended as row 4
    ASSERT_TRUE(sheet.PutRow({"r", "r", "r"}, 2, true));   // replaces row 2
    ASSERT_TRUE(sheet.PutRow({"i", "i", "i", "i"}, 3));    // inserted before row 3
    EXPECT_EQ(sheet.GetTotalRows(), 5);
    EXPECT_EQ(sheet.GetTotalColumns(), 4);
    Cells column;
    ASSERT_TRUE(sheet.GetColumn(column, "A"));
    EXPECT_EQ(column, (Cells{"a", "r", "i", "4", "7"}));
    ASSERT_TRUE(sheet.PutRow({"x", "y"}, 1, true)); // row 1 is the header row
    ASSERT_TRUE(sheet.GetColumn(column, "y", false));
    EXPECT_EQ(column, (Cells{"y", "r", "i", "5", "8"}));
}

TEST_F(SpreadSheetCsv, PutCellByNumberLettersAndHeaderName)
{
    WriteSample();
    CSpreadSheet sheet(file, ";", false);
    ASSERT_TRUE(sheet.PutCell("n", 2, 3));
    ASSERT_TRUE(sheet.PutCell("l", "C", 2));
    ASSERT_TRUE(sheet.PutCell("h", "a", 3, false)); // the header "a", not column A's letter
    ASSERT_TRUE(sheet.PutCell("neu", 5, 1));         // row 1: a new column name
    ASSERT_TRUE(sheet.PutCell("weit", "neu", 6, false));
    CSpreadSheet again(file, ";", false);
    Cells row;
    ASSERT_TRUE(again.GetRow(row, 1));
    EXPECT_EQ(row, (Cells{"a", "b", "c", "", "neu"}));
    ASSERT_TRUE(again.GetRow(row, 2));
    EXPECT_EQ(row, (Cells{"1", "2", "l"}));
    ASSERT_TRUE(again.GetRow(row, 3));
    EXPECT_EQ(row, (Cells{"h", "n", "6"}));
    ASSERT_TRUE(again.GetRow(row, 6));
    EXPECT_EQ(row, (Cells{"", "", "", "", "weit"}));
    std::string cell;
    ASSERT_TRUE(again.GetCell(cell, "B", 3));
    EXPECT_EQ(cell, "n");
    ASSERT_TRUE(again.GetCell(cell, "neu", 2, false));
    EXPECT_EQ(cell, "");
}

TEST_F(SpreadSheetCsv, CurrentRowAdvancesOnlyThroughGetRow)
{
    WriteSample();
    CSpreadSheet sheet(file, ";", false);
    Cells row;
    std::string cell;
    ASSERT_TRUE(sheet.GetRow(row));
    ASSERT_TRUE(sheet.GetCell(cell, 1));
    EXPECT_EQ(cell, "1");
    ASSERT_TRUE(sheet.GetRow(row));
    EXPECT_EQ(row, (Cells{"1", "2", "3"}));
    ASSERT_TRUE(sheet.GetRow(row));
    EXPECT_EQ(sheet.GetCurrentRow(), 4);
    EXPECT_FALSE(sheet.GetRow(row));
    EXPECT_EQ(sheet.GetLastErrorMessage(), "Desired row is greater than total number of rows in spreadsheet\n");
}

TEST_F(SpreadSheetCsv, ErrorsLeaveTheFileAsItWas)
{
    WriteSample();
    const std::string before = ReadBytes(file);
    CSpreadSheet sheet(file, ";", false);
    Cells cells;
    std::string cell;
    struct Case {
        const char* name;
        std::function<bool()> call;
        const char* error;
    };
    const Case cases[] = {
        {"PutCell column 0", [&] { return sheet.PutCell("x", 0, 2); }, "Column cannot be zero\n"},
        {"GetCell column 0", [&] { return sheet.GetCell(cell, 0, 2); }, "Column cannot be zero\n"},
        {"GetColumn column 0", [&] { return sheet.GetColumn(cells, 0); }, "Column cannot be zero\n"},
        {"unknown header", [&] { return sheet.GetColumn(cells, "Zeit", false); }, "Invalid field name or column alphabet\n"},
        {"unknown header put", [&] { return sheet.PutCell("x", "Zeit", 2); }, "Invalid field name or column alphabet\n"},
        {"row beyond the end", [&] { return sheet.GetRow(cells, 4); }, "Desired row is greater than total number of rows in spreadsheet\n"},
        {"cell beyond the end", [&] { return sheet.GetCell(cell, 1, 9); }, "Error reading row\n"},
        {"negative row", [&] { return sheet.PutRow({"x"}, -1); }, "Row cannot be negative\n"},
        {"UpdateRows", [&] { return sheet.UpdateRows({"1"}, {"2"}); }, "Function not available for text delimited file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(sheet.GetLastErrorMessage(), c.error);
    }
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(sheet.GetTotalRows(), 3);
}

TEST_F(SpreadSheetCsv, TransactionWritesOnCommitAndRevertReadsTheFileAgain)
{
    WriteSample();
    const std::string before = ReadBytes(file);
    CSpreadSheet sheet(file, ";", false);
    sheet.StartTransaction();
    EXPECT_TRUE(sheet.GetTransactionStatus());
    ASSERT_TRUE(sheet.PutRow({"7", "8", "9"}));
    ASSERT_TRUE(sheet.PutCell("x", 1, 2));
    EXPECT_EQ(ReadBytes(file), before);
    ASSERT_TRUE(sheet.Revert());
    EXPECT_FALSE(sheet.GetTransactionStatus());
    EXPECT_EQ(sheet.GetTotalRows(), 3);
    std::string cell;
    ASSERT_TRUE(sheet.GetCell(cell, 1, 2));
    EXPECT_EQ(cell, "1");

    sheet.StartTransaction();
    ASSERT_TRUE(sheet.PutRow({"7", "8", "9"}));
    EXPECT_EQ(ReadBytes(file), before);
    ASSERT_TRUE(sheet.CommitChanges());
    EXPECT_FALSE(sheet.GetTransactionStatus());
    EXPECT_EQ(ReadBytes(file), before + "\"7\";\"8\";\"9\"\r\n");
}

TEST_F(SpreadSheetCsv, BackupOnlyWhenTheFileHadData)
{
    struct Case {
        const char* name;
        const char* content; // nullptr: no file
        bool backup;
        bool bakWritten;
    };
    const Case cases[] = {
        {"data", "a;b\n1;2\n", true, true},
        {"data, no backup wanted", "a;b\n1;2\n", false, false},
        {"empty file", "", true, false},
        {"no file", nullptr, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file);
        std::filesystem::remove(file + ".bak");
        if (c.content)
            WriteBytes(file, c.content);
        CSpreadSheet sheet(file, ";", c.backup);
        EXPECT_EQ(std::filesystem::exists(file + ".bak"), c.bakWritten);
        EXPECT_EQ(sheet.GetBackupStatus(), c.backup);
        if (c.bakWritten) {
            EXPECT_EQ(ReadBytes(file + ".bak"), "a;b\r\n1;2\r\n");
            EXPECT_EQ(ReadBytes(file), c.content);
        }
    }
}

TEST_F(SpreadSheetCsv, MissingFileOpensEmptyAndIsCreatedOnFirstWrite)
{
    CSpreadSheet sheet(file, ",", true);
    EXPECT_EQ(sheet.GetLastErrorMessage(), "Error in opening file\n");
    EXPECT_EQ(sheet.GetTotalRows(), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_TRUE(sheet.SetHeaderRow({"x", "x"})); // text files may repeat a name
    ASSERT_TRUE(sheet.SetHeaderRow({"y"}));      // appended
    EXPECT_EQ(sheet.GetTotalColumns(), 3);
    EXPECT_EQ(ReadBytes(file), "\"x\",\"x\",\"y\"\r\n");
}

TEST_F(SpreadSheetCsv, DropSheetEmptiesTheFile)
{
    WriteSample();
    CSpreadSheet sheet(file, ";", false);
    ASSERT_TRUE(sheet.DropSheet("egal"));
    EXPECT_EQ(sheet.GetTotalRows(), 0);
    EXPECT_EQ(sheet.GetTotalColumns(), 0);
    EXPECT_EQ(ReadBytes(file), "");
}

// A file the sheet cannot read whole is refused and never written over.
TEST_F(SpreadSheetCsv, UnreadableFilesAreNotTouched)
{
    {
        SCOPED_TRACE("a folder in place of the file");
        std::filesystem::create_directory(file);
        CSpreadSheet sheet(file, ";", true);
        EXPECT_EQ(sheet.GetLastErrorMessage(), "Error in opening file\n");
        EXPECT_FALSE(sheet.PutRow({"a"}));
        EXPECT_TRUE(std::filesystem::is_directory(file));
        EXPECT_FALSE(std::filesystem::exists(file + ".bak"));
    }
    {
        SCOPED_TRACE("a file beyond the size read at once (sparse: no disk taken)");
        const std::string big = dir.file("gross.csv");
        WriteBytes(big, "\"a\";\"b\"\r\n");
        std::filesystem::resize_file(big, CSpreadSheet::kMaxFileBytes + 1);
        CSpreadSheet sheet(big, ";", true);
        EXPECT_EQ(sheet.GetLastErrorMessage(), "Error in opening file\n");
        EXPECT_FALSE(sheet.PutRow({"a"}));
        EXPECT_EQ(std::filesystem::file_size(big), CSpreadSheet::kMaxFileBytes + 1);
        EXPECT_FALSE(std::filesystem::exists(big + ".bak"));
    }
}
