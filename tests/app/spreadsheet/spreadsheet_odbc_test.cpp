// CSpreadSheet on workbook sheets, run for real through Debian's SQLite 3 ODBC driver,
// which the install script installs and which is found by name like any driver.
#include "app/odbc.h"
#include "app/spreadsheet.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

namespace {

using Cells = std::vector<std::string>;

class SpreadSheetOdbc : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(odbc::FindDriver("SQLite3").empty()) << "the SQLite 3 ODBC driver is not installed";
    }
    void TearDown() override { odbc::Hooks() = {}; }

    test_support::TempDir dir;
    std::string book = dir.file("buch.xls");
    const SheetDriverProfile profile = SheetDriverProfile::SQLite3();

    // Sheet "Messung" with three columns and three data rows.
    void WriteSample()
    {
        CSpreadSheet sheet(book, "Messung", false, profile);
        sheet.StartTransaction();
        ASSERT_TRUE(sheet.SetHeaderRow({"Probe", "Wert", "Notiz"})) << sheet.GetLastErrorMessage();
        ASSERT_TRUE(sheet.PutRow({"p1", "1.5", "O'Neil sagt \"ja\""}));
        ASSERT_TRUE(sheet.PutRow({"p2", "2,5", "Grün; blau"}));
        ASSERT_TRUE(sheet.PutRow({"p3", "3"})); // fewer cells than fields
        ASSERT_TRUE(sheet.CommitChanges()) << sheet.GetLastErrorMessage();
    }

    std::vector<Cells> AllRows(const std::string& sheetName)
    {
        CSpreadSheet sheet(book, sheetName, false, profile);
        std::vector<Cells> rows;
        Cells row;
        while (sheet.GetRow(row))
            rows.push_back(row);
        return rows;
    }

    const std::vector<Cells> sample = {
        {"Probe", "Wert", "Notiz"},
        {"p1", "1.5", "O'Neil sagt \"ja\""},
        {"p2", "2,5", "Grün; blau"},
        {"p3", "3", ""},
    };
};

} // namespace

TEST_F(SpreadSheetOdbc, WritesReopensAndReads)
{
    WriteSample();
    EXPECT_EQ(AllRows("Messung"), sample);

    CSpreadSheet sheet(book, "Messung", false, profile);
    EXPECT_EQ(sheet.GetTotalRows(), 4);
    EXPECT_EQ(sheet.GetTotalColumns(), 3);
    ASSERT_TRUE(sheet.PutCell("neu", "Notiz", 4, false));
    ASSERT_TRUE(sheet.PutRow({"p5"}, 6)); // row 5 is padded with blanks
    CSpreadSheet again(book, "Messung", false, profile);
    Cells row;
    ASSERT_TRUE(again.GetRow(row, 4));
    EXPECT_EQ(row, (Cells{"p3", "3", "neu"}));
    ASSERT_TRUE(again.GetRow(row, 5));
    EXPECT_EQ(row, (Cells{" ", " ", " "}));
    ASSERT_TRUE(again.GetRow(row, 6));
    EXPECT_EQ(row, (Cells{"p5", "", ""}));
}

TEST_F(SpreadSheetOdbc, HeaderRowRules)
{
    WriteSample();
    CSpreadSheet sheet(book, "Messung", false, profile);
    struct Case {
        const char* name;
        std::function<bool()> call;
        const char* error;
    };
    const Case cases[] = {
        {"duplicate in a new header row", [&] { return sheet.SetHeaderRow({"a", "b", "a"}, true); },
         "Duplicate header row field:a\n"},
        {"added name exists", [&] { return sheet.SetHeaderRow({"Wert"}); }, "Duplicate header row field:Wert\n"},
        {"header row shrinks", [&] { return sheet.PutRow({"a", "b"}, 1, true); },
         "Number of columns in new header row cannot be less than the number of columns in previous header row"},
        {"renamed to an existing name", [&] { return sheet.PutCell("Probe", 2, 1); }, "Duplicate header row field:Probe\n"},
        {"bracket in a name", [&] { return sheet.SetHeaderRow({"a]b"}); }, "Sheet and field names cannot contain '[' or ']'\n"},
        {"too many cells", [&] { return sheet.PutRow({"1", "2", "3", "4"}); },
         "Number of columns to be added cannot be greater than the number of fields\n"},
        {"cell beyond the next column", [&] { return sheet.PutCell("x", 5, 2); },
         "Cell column to be added cannot be greater than the number of fields\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(sheet.GetLastErrorMessage(), c.error);
    }
    EXPECT_EQ(AllRows("Messung"), sample);

    ASSERT_TRUE(sheet.SetHeaderRow({"Zeit"})) << sheet.GetLastErrorMessage();
    ASSERT_TRUE(sheet.PutCell("t1", "Zeit", 2, false)) << sheet.GetLastErrorMessage();
    CSpreadSheet again(book, "Messung", false, profile);
    EXPECT_EQ(again.GetTotalColumns(), 4);
    Cells row;
    ASSERT_TRUE(again.GetRow(row, 2));
    EXPECT_EQ(row, (Cells{"p1", "1.5", "O'Neil sagt \"ja\"", "t1"}));
}

TEST_F(SpreadSheetOdbc, NewSheetNeedsAHeaderRow)
{
    CSpreadSheet sheet(book, "Leer", false, profile);
    EXPECT_FALSE(sheet.PutRow({"1"}, 2));
    EXPECT_EQ(sheet.GetLastErrorMessage(), "No header row. Add header row first\n");
    CSpreadSheet bad(book, "a[b", false, profile);
    EXPECT_EQ(bad.GetLastErrorMessage(), "Sheet and field names cannot contain '[' or ']'\n");
}

TEST_F(SpreadSheetOdbc, UpdateRowsChangesMatchingRowsAndReadsAgain)
{
    WriteSample();
    CSpreadSheet sheet(book, "Messung", false, profile);
    ASSERT_TRUE(sheet.UpdateRows({"p2", "9'9"}, {"p2", "2,5"})) << sheet.GetLastErrorMessage();
    std::string cell;
    ASSERT_TRUE(sheet.GetCell(cell, "Wert", 3, false));
    EXPECT_EQ(cell, "9'9");
    ASSERT_TRUE(sheet.GetCell(cell, "B", 2));
    EXPECT_EQ(cell, "1.5");
    // Old values that match nothing change nothing.
    ASSERT_TRUE(sheet.UpdateRows({"x"}, {"nichts"})) << sheet.GetLastErrorMessage();
    EXPECT_EQ(AllRows("Messung")[1], sample[1]);
}

TEST_F(SpreadSheetOdbc, BackupSheetHoldsTheSheetAsOpened)
{
    WriteSample();
    {
        CSpreadSheet sheet(book, "Messung", true, profile);
        EXPECT_TRUE(sheet.GetBackupStatus()) << sheet.GetLastErrorMessage();
        EXPECT_EQ(sheet.GetCurrentRow(), 1);
        ASSERT_TRUE(sheet.PutCell("geändert", 1, 2));
    }
    EXPECT_EQ(AllRows("CSpreadSheetBackup"), sample);
    // The backup sheet exists now; a new one is not made over it.
    CSpreadSheet sheet(book, "Messung", true, profile);
    EXPECT_FALSE(sheet.GetBackupStatus());
    EXPECT_EQ(AllRows("CSpreadSheetBackup"), sample);
}

TEST_F(SpreadSheetOdbc, ConvertFileBothWays)
{
    WriteSample();
    {
        CSpreadSheet sheet(book, "Messung", false, profile);
        ASSERT_TRUE(sheet.ConvertFile(";")) << sheet.GetLastErrorMessage();
    }
    const std::string csv = dir.file("buch.csv");
    {
        CSpreadSheet text(csv, ";", false, profile);
        std::vector<Cells> rows;
        Cells row;
        while (text.GetRow(row))
            rows.push_back(row);
        EXPECT_EQ(rows, sample);
        ASSERT_TRUE(text.PutRow({"p4", "4", "vier"}));
        std::filesystem::remove(book);
        ASSERT_TRUE(text.ConvertFile("Zurück")) << text.GetLastErrorMessage();
    }
    std::vector<Cells> expected = sample;
    expected.push_back({"p4", "4", "vier"});
    EXPECT_EQ(AllRows("Zurück"), expected);
}

TEST_F(SpreadSheetOdbc, ConvertingDuplicateHeadersNumbersTheColumns)
{
    const std::string csv = dir.file("doppelt.csv");
    std::ofstream(csv, std::ios::binary) << "a;a;b\r\n1;2;3\r\n";
    CSpreadSheet text(csv, ";", false, profile);
    ASSERT_TRUE(text.ConvertFile("T")) << text.GetLastErrorMessage();
    book = dir.file("doppelt.xls");
    EXPECT_EQ(AllRows("T"), (std::vector<Cells>{{"1", "2", "3"}, {"a", "a", "b"}, {"1", "2", "3"}}));
}

TEST_F(SpreadSheetOdbc, FailedStatementInCommitRollsBackTheDrop)
{
    WriteSample();
    int inserts = 0;
    odbc::Hooks().failStatement = [&](std::string_view sql) { return sql.starts_with("INSERT") && ++inserts == 2; };
    CSpreadSheet sheet(book, "Messung", false, profile);
    ASSERT_FALSE(sheet.PutRow({"p4", "4", "vier"}));
    EXPECT_NE(sheet.GetLastErrorMessage().find("refused by test hook"), std::string::npos);
    odbc::Hooks() = {};
    EXPECT_EQ(AllRows("Messung"), sample);
}

TEST_F(SpreadSheetOdbc, WithoutTransactionsTheRowsGoToANewSheetFirst)
{
    WriteSample();
    odbc::Hooks().noTransactions = true;
    std::string failOn;
    odbc::Hooks().failStatement = [&](std::string_view sql) { return !failOn.empty() && sql.starts_with(failOn); };
    const std::vector<Cells> changed = {sample[0], sample[1], sample[2], {"p3", "3", "drei"}};

    // Failing while the new sheet is written: the old sheet is whole, the new one gone.
    failOn = "INSERT INTO [Messung_CSpreadSheetNew]";
    {
        CSpreadSheet sheet(book, "Messung", false, profile);
        EXPECT_FALSE(sheet.PutCell("drei", 3, 4));
    }
    failOn.clear();
    EXPECT_EQ(AllRows("Messung"), sample);
    CSpreadSheet staging(book, "Messung_CSpreadSheetNew", false, profile);
    EXPECT_EQ(staging.GetTotalRows(), 0);

    // Failing after the old sheet was dropped: the error names the sheet with the rows.
    failOn = "CREATE TABLE [Messung]";
    {
        CSpreadSheet sheet(book, "Messung", false, profile);
        EXPECT_FALSE(sheet.PutCell("drei", 3, 4));
        EXPECT_NE(sheet.GetLastErrorMessage().find("'Messung_CSpreadSheetNew'"), std::string::npos)
            << sheet.GetLastErrorMessage();
    }
    failOn.clear();
    EXPECT_EQ(AllRows("Messung_CSpreadSheetNew"), changed);

    // Without failures the new sheet replaces the old one and goes.
    {
        CSpreadSheet sheet(book, "Messung_CSpreadSheetNew", false, profile);
        ASSERT_TRUE(sheet.DropSheet("Messung_CSpreadSheetNew"));
        CSpreadSheet fresh(book, "Messung", false, profile);
        fresh.StartTransaction();
        ASSERT_TRUE(fresh.SetHeaderRow(sample[0]));
        for (std::size_t i = 1; i < changed.size(); ++i)
            ASSERT_TRUE(fresh.PutRow(changed[i]));
        ASSERT_TRUE(fresh.CommitChanges()) << fresh.GetLastErrorMessage();
        ASSERT_TRUE(fresh.PutRow({"p4"})) << fresh.GetLastErrorMessage();
    }
    std::vector<Cells> expected = changed;
    expected.push_back({"p4", "", ""});
    EXPECT_EQ(AllRows("Messung"), expected);
    CSpreadSheet gone(book, "Messung_CSpreadSheetNew", false, profile);
    EXPECT_EQ(gone.GetTotalRows(), 0);
}

TEST_F(SpreadSheetOdbc, DropSheetEmptiesOnlyItsOwnTable)
{
    WriteSample();
    CSpreadSheet sheet(book, "Messung", true, profile);
    ASSERT_TRUE(sheet.DropSheet("CSpreadSheetBackup"));
    EXPECT_EQ(sheet.GetTotalRows(), 4);
    ASSERT_TRUE(sheet.PutCell("x", 1, 2));
    EXPECT_EQ(AllRows("Messung").size(), 4u);

    ASSERT_TRUE(sheet.DropSheet("Messung"));
    EXPECT_EQ(sheet.GetTotalRows(), 0);
    EXPECT_EQ(sheet.GetTotalColumns(), 0);
    ASSERT_TRUE(sheet.SetHeaderRow({"neu"})) << sheet.GetLastErrorMessage();
    EXPECT_EQ(AllRows("Messung"), (std::vector<Cells>{{"neu"}}));
    EXPECT_FALSE(sheet.DropSheet("gibt es nicht"));
    EXPECT_EQ(sheet.GetLastErrorMessage(), "Error deleting sheet\n");
}

TEST(SpreadSheetWithoutDriver, OpeningFailsNamingTheSearchWordAndWritesNothing)
{
    test_support::TempDir dir;
    const std::string book = dir.file("mappe.xls");
    ASSERT_TRUE(odbc::FindDriver("Excel").empty()) << "this test expects no Excel ODBC driver";
    CSpreadSheet sheet(book, "Tabelle1", true);
    EXPECT_EQ(sheet.GetLastErrorMessage(), "No ODBC driver with \"Excel\" in its name is installed\n");
    EXPECT_EQ(sheet.GetTotalRows(), 0);
    EXPECT_FALSE(sheet.SetHeaderRow({"a"}));
    EXPECT_EQ(sheet.GetLastErrorMessage(), "No ODBC driver with \"Excel\" in its name is installed\n");
    EXPECT_FALSE(std::filesystem::exists(book));
}
