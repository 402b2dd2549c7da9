#pragma once
// CSpreadSheet: a table of text cells in a workbook sheet (over ODBC) or in a delimited
// text file. Rows and columns count from 1; row 1 is the header row naming the columns.
// Changes are written at once or, inside a transaction, on CommitChanges. Every operation
// answers success and leaves the reason of a failure in GetLastErrorMessage().
//
// Workbook mode is chosen by a file name ending in ".xls" (compared in lower case); the
// driver is found by the profile's search word (SheetDriverProfile). Otherwise the file is
// a delimited text file: written as UTF-8 with CR LF, read with CR LF, LF or CR and with
// Windows-1252 bytes taken as such; every cell is written in double quotes, quotes inside
// doubled, so any cell text without a line break comes back as it was.
#include "app/sheet_format.h"

#include <memory>
#include <cstdint>
#include <string>
#include <vector>

namespace odbc {
class Connection;
}

class CSpreadSheet {
public:
    // Opens (reads) the sheet or file. Workbook mode takes the second argument as the sheet
    // name, text mode as the field separator. With backup wanted and data present, a copy
    // is written first: into the sheet "CSpreadSheetBackup" of the workbook, or to the file
    // name followed by ".bak".
    CSpreadSheet(std::string file, std::string sheetOrSeparator, bool backup = true,
                 SheetDriverProfile profile = SheetDriverProfile::Workbook());
    ~CSpreadSheet();
    CSpreadSheet(const CSpreadSheet&) = delete;
    CSpreadSheet& operator=(const CSpreadSheet&) = delete;

    // Largest text file read (the whole file is read at once); a larger one is refused.
    static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(1) << 30;

    // Names the columns: row 1 of an empty table; else replaces row 1 or appends the names
    // to it.
    bool SetHeaderRow(const std::vector<std::string>& names, bool replace = false);
    // Row 0 appends; a row of the table is replaced or has the cells inserted before it; a
    // row beyond the end is reached through empty rows.
    bool PutRow(const std::vector<std::string>& cells, long row = 0, bool replace = false);
    // Row 0 is the current row; a cell of row 1 renames a column.
    bool PutCell(const std::string& text, int column, long row = 0);
    bool PutCell(const std::string& text, const std::string& column, long row = 0, bool lettersAllowed = true);
    // Workbook mode: sets new values in every row that holds the old ones (per header, in
    // order), then reads the sheet again.
    bool UpdateRows(const std::vector<std::string>& newValues, const std::vector<std::string>& oldValues);

    // Row 0 is the current row, which then advances.
    bool GetRow(std::vector<std::string>& cells, long row = 0);
    // One cell per row from row 1 on; a row without that column gives "".
    bool GetColumn(std::vector<std::string>& cells, int column);
    bool GetColumn(std::vector<std::string>& cells, const std::string& column, bool lettersAllowed = true);
    // Row 0 is the current row (which stays).
    bool GetCell(std::string& text, int column, long row = 0);
    bool GetCell(std::string& text, const std::string& column, long row = 0, bool lettersAllowed = true);

    // Workbook mode drops the named sheet (and empties this table when it is this sheet);
    // text mode empties the file.
    bool DropSheet(const std::string& name);

    void StartTransaction();
    bool CommitChanges();
    // Reads the sheet or file again and closes the transaction.
    bool Revert();

    // Writes the table into a file of the other kind beside this one: ".csv" with the given
    // separator from a workbook, ".xls" with the given sheet name from a text file.
    bool ConvertFile(const std::string& sheetOrSeparator);

    const std::string& GetLastErrorMessage() const { return m_sLastError; }
    long GetTotalRows() const { return m_dTotalRows; }
    int GetTotalColumns() const { return m_dTotalColumns; }
    long GetCurrentRow() const { return m_dCurrentRow; }
    bool GetBackupStatus() const { return m_bBackup; }
    bool GetTransactionStatus() const { return m_bTransaction; }

private:
    bool Open();
    // Sets the error text for a name that brackets cannot quote.
    bool NamesValid(const std::vector<std::string>& names);
    std::unique_ptr<odbc::Connection> Connect() const;
    bool OpenSheet();
    bool OpenFile();
    // Writes the stored rows: into sheet `sheet` (append: it holds data and is replaced),
    // or into file `file`.
    bool Commit(const std::string& sheet, const std::string& file, bool append);
    bool CommitSheet(const std::string& sheet, bool append);
    void WriteSheetRows(odbc::Connection& db, const std::string& sheet);
    bool CommitFile(const std::string& file);
    bool CommitOrDefer();
    void Clear();
    bool CheckHeaderRow(const std::vector<std::string>& names);
    std::string EmptyCell() const;
    int Column(const std::string& column, bool lettersAllowed);
    std::vector<std::string> Cells(long row) const;

    bool m_bBackup;
    bool m_bAppend = false;
    bool m_bTransaction = false;
    bool m_bExcel;
    // Text mode: the file exists but could not be read, so writing it would lose it.
    bool m_bUnreadable = false;

    long m_dCurrentRow = 1;
    long m_dTotalRows = 0;
    int m_dTotalColumns = 0;

    std::string m_sDsn;
    std::string m_sSheetName;
    std::string m_sExcelDriver;
    std::string m_sFile;
    std::string m_sSeparator;
    std::string m_sLastError;
    SheetDriverProfile m_profile;

    std::vector<std::string> m_aFieldNames;
    std::vector<std::string> m_aRows; // stored row texts (sheet_format::FormatRow)
};
