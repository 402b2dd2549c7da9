#pragma once
// Texts of the spreadsheet class, free of any file or connection: the stored row text,
// column letters, and the SQL statements and connection text of an ODBC driver profile.
#include <string>
#include <string_view>
#include <vector>

// What differs between ODBC drivers: the word that finds the driver by name, the
// connection text (its first "%s" is the driver, every further "%s" the file name), and
// the table-name rule ("%s" the sheet, "%d" the sheet row of an insert).
struct SheetDriverProfile {
    std::string searchWord;
    std::string connection;
    std::string table;       // SELECT, DROP, and CREATE of a sheet that holds data
    std::string insertTable; // INSERT of one row

    // Workbooks through an Excel ODBC driver.
    static SheetDriverProfile Workbook();
    // Debian's SQLite 3 ODBC driver (libsqliteodbc), which needs no server: every table is
    // named "[sheet]". The driver also registers "SQLite", whose library is not shipped.
    static SheetDriverProfile SQLite3();
};

namespace sheet_format {

// One stored row: every cell in double quotes, a double quote inside a cell doubled, the
// cells joined by separator.
std::string FormatRow(const std::vector<std::string>& cells, std::string_view separator);
// Cells of a stored row or of a line of a delimited file. A cell that starts with a double
// quote runs to the next double quote followed by the separator or the end ("" inside it is
// one double quote, any other double quote stays); other cells run to the next separator.
// A line without separator is one cell. separator must not be empty.
std::vector<std::string> ParseRow(std::string_view text, std::string_view separator);

// A column given as text: one or two letters A..Z (any case) when letters are allowed,
// "B" 2, "AA" 27, "IV" 256; else the 1-based position of the first header of that name.
// 0 when neither applies.
int ColumnNumber(std::string_view column, bool lettersAllowed, const std::vector<std::string>& headers);

// A text quoted for SQL: in single quotes, each single quote doubled.
std::string SqlValue(std::string_view text);
// Sheet and field names go into square brackets, which cannot escape "[" or "]".
bool IsValidName(std::string_view name);

// The rule's "%s" replaced by the sheet name and "%d" by row.
std::string TableName(std::string_view rule, std::string_view sheet, int row = 0);
std::string ConnectionText(const SheetDriverProfile& profile, std::string_view driver, std::string_view file);

std::string SelectSql(const SheetDriverProfile& profile, std::string_view sheet);
std::string DropSql(const SheetDriverProfile& profile, std::string_view sheet);
// "CREATE TABLE [sheet] (...)" for a new sheet, with the profile's table name when the
// sheet held data before; every column char(255).
std::string CreateSql(const SheetDriverProfile& profile, std::string_view sheet,
                      const std::vector<std::string>& headers, bool heldData);
// Inserts sheet row `row` (row 2 of the table is sheet row 1); names as many columns as
// the row has cells.
std::string InsertSql(const SheetDriverProfile& profile, std::string_view sheet, int row,
                      const std::vector<std::string>& headers, const std::vector<std::string>& cells);
// Sets each header's new value in every row where each header holds its old value; pairs
// run as far as both lists reach.
std::string UpdateSql(std::string_view sheet, const std::vector<std::string>& headers,
                      const std::vector<std::string>& newValues, const std::vector<std::string>& oldValues);

} // namespace sheet_format
