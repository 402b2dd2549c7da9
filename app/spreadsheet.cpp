#include "app/spreadsheet.h"

#include "app/odbc.h"
#include "platform/file_contents.h"

#include <xandril/xandril.h>

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <new>
#include <set>
#include <system_error>

namespace {

const char* const kBackupSheet = "CSpreadSheetBackup";
// The separator of stored rows in workbook mode; any text would do, cells are quoted.
const char* const kSheetSeparator = ",;.?";
// Suffix of the sheet that a commit fills first when the driver cannot roll back a drop.
const char* const kStagingSuffix = "_CSpreadSheetNew";

const char* const kBadName = "Sheet and field names cannot contain '[' or ']'\n";
const char* const kNegativeRow = "Row cannot be negative\n";

std::string NoDriverMessage(const std::string& searchWord)
{
    return "No ODBC driver with \"" + searchWord + "\" in its name is installed\n";
}

bool EndsWithXls(const std::string& file)
{
    std::string lower = file;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".xls") == 0;
}

// The lines of a text; CR LF, LF and CR each end a line, and a break at the very end
// opens no further line.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text, start, i - start);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text, start);
    return lines;
}

bool HasDuplicates(const std::vector<std::string>& names)
{
    return std::set<std::string>(names.begin(), names.end()).size() != names.size();
}

} // namespace

CSpreadSheet::CSpreadSheet(std::string file, std::string sheetOrSeparator, bool backup, SheetDriverProfile profile)
    : m_bBackup(backup), m_bExcel(EndsWithXls(file)), m_sFile(std::move(file)), m_profile(std::move(profile))
{
    if (m_bExcel) {
        m_sSheetName = std::move(sheetOrSeparator);
        m_sSeparator = kSheetSeparator;
        m_sExcelDriver = odbc::FindDriver(m_profile.searchWord);
        m_sDsn = sheet_format::ConnectionText(m_profile, m_sExcelDriver, m_sFile);
    } else {
        m_sSeparator = std::move(sheetOrSeparator);
    }

    if (Open() && m_bBackup && m_bAppend) {
        const bool ok = m_bExcel ? Commit(kBackupSheet, {}, false) : Commit({}, m_sFile + ".bak", false);
        if (!ok)
            m_bBackup = false;
        m_dCurrentRow = 1;
    }
}

CSpreadSheet::~CSpreadSheet() = default;

// ---- Reading

bool CSpreadSheet::NamesValid(const std::vector<std::string>& names)
{
    if (std::all_of(names.begin(), names.end(), sheet_format::IsValidName))
        return true;
    m_sLastError = kBadName;
    return false;
}

std::unique_ptr<odbc::Connection> CSpreadSheet::Connect() const
{
    // Without a driver the manager would try some other library and report a misleading
    // error, so no connection is tried at all.
    if (m_sExcelDriver.empty())
        throw odbc::Error(NoDriverMessage(m_profile.searchWord));
    return std::make_unique<odbc::Connection>(m_sDsn);
}

bool CSpreadSheet::Open()
{
    return m_bExcel ? OpenSheet() : OpenFile();
}

bool CSpreadSheet::OpenSheet()
{
    if (!NamesValid({m_sSheetName}))
        return false;
    try {
        const auto db = Connect();
        const auto records = db->Query(sheet_format::SelectSql(m_profile, m_sSheetName));
        const int fields = records->ColumnCount();
        if (fields > 0) {
            std::vector<std::string> names;
            for (int i = 1; i <= fields; ++i)
                names.push_back(records->ColumnName(i));
            std::vector<std::string> rows{sheet_format::FormatRow(names, m_sSeparator)};
            try {
                std::vector<std::string> cells(static_cast<std::size_t>(fields));
                while (records->Fetch()) {
                    for (int i = 1; i <= fields; ++i)
                        cells[static_cast<std::size_t>(i - 1)] = records->Text(i);
                    rows.push_back(sheet_format::FormatRow(cells, m_sSeparator));
                }
            } catch (const odbc::Error&) {
                m_sLastError = "Error reading row\n";
                return false;
            }
            m_aFieldNames = std::move(names);
            m_aRows = std::move(rows);
            m_dTotalRows = static_cast<long>(m_aRows.size());
            m_bAppend = true;
        }
        m_dTotalColumns = fields;
    } catch (const odbc::Error& e) {
        m_sLastError = e.what();
        return false;
    }
    m_dCurrentRow = 1;
    return true;
}

bool CSpreadSheet::OpenFile()
{
    m_bUnreadable = true;
    if (m_sSeparator.empty()) {
        m_sLastError = "Separator cannot be empty\n";
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::exists(m_sFile, ec) && !ec) {
        // A new file: empty until the first commit writes it.
        m_bUnreadable = false;
        Clear();
        m_bAppend = false;
        m_sLastError = "Error in opening file\n";
        return false;
    }
    // The whole file is read at once: a folder, pipe or device (refused at once, never waited
    // on), one beyond kMaxFileBytes, or one there is no memory for, is refused and stays
    // unreadable, so no commit overwrites it.
    platform::FileBytes content;
    if (!content.Read(m_sFile, kMaxFileBytes)) {
        m_sLastError = "Error in opening file\n";
        return false;
    }
    std::vector<std::string> rows;
    try {
        rows = SplitLines(ns_xandril::TextToUtf8(content.View()));
    } catch (const std::bad_alloc&) {
        m_sLastError = "Error in opening file\n";
        return false;
    }
    m_bUnreadable = false;

    m_aRows = std::move(rows);
    m_dTotalRows = static_cast<long>(m_aRows.size());
    m_dTotalColumns = 0;
    for (const std::string& row : m_aRows)
        m_dTotalColumns = std::max(m_dTotalColumns, static_cast<int>(sheet_format::ParseRow(row, m_sSeparator).size()));
    m_aFieldNames = m_aRows.empty() ? std::vector<std::string>() : sheet_format::ParseRow(m_aRows[0], m_sSeparator);
    m_bAppend = m_dTotalColumns > 0;
    m_dCurrentRow = 1;
    return true;
}

std::vector<std::string> CSpreadSheet::Cells(long row) const
{
    return sheet_format::ParseRow(m_aRows[static_cast<std::size_t>(row - 1)], m_sSeparator);
}

bool CSpreadSheet::GetRow(std::vector<std::string>& cells, long row)
{
    if (row < 0) {
        m_sLastError = kNegativeRow;
        return false;
    }
    const long r = row == 0 ? m_dCurrentRow : row;
    if (r > m_dTotalRows) {
        m_sLastError = "Desired row is greater than total number of rows in spreadsheet\n";
        return false;
    }
    cells = Cells(r);
    if (row == 0)
        ++m_dCurrentRow;
    return true;
}

bool CSpreadSheet::GetColumn(std::vector<std::string>& cells, int column)
{
    if (column <= 0) {
        m_sLastError = "Column cannot be zero\n";
        return false;
    }
    cells.clear();
    for (long r = 1; r <= m_dTotalRows; ++r) {
        std::vector<std::string> row = Cells(r);
        cells.push_back(static_cast<std::size_t>(column) <= row.size() ? std::move(row[column - 1]) : std::string());
    }
    return true;
}

bool CSpreadSheet::GetColumn(std::vector<std::string>& cells, const std::string& column, bool lettersAllowed)
{
    const int c = Column(column, lettersAllowed);
    return c != 0 && GetColumn(cells, c);
}

bool CSpreadSheet::GetCell(std::string& text, int column, long row)
{
    if (column <= 0) {
        m_sLastError = "Column cannot be zero\n";
        return false;
    }
    const long r = row == 0 ? m_dCurrentRow : row;
    if (r < 1 || r > m_dTotalRows) {
        m_sLastError = "Error reading row\n";
        return false;
    }
    std::vector<std::string> cells = Cells(r);
    text = static_cast<std::size_t>(column) <= cells.size() ? std::move(cells[column - 1]) : std::string();
    return true;
}

bool CSpreadSheet::GetCell(std::string& text, const std::string& column, long row, bool lettersAllowed)
{
    const int c = Column(column, lettersAllowed);
    return c != 0 && GetCell(text, c, row);
}

int CSpreadSheet::Column(const std::string& column, bool lettersAllowed)
{
    const int c = sheet_format::ColumnNumber(column, lettersAllowed, m_aFieldNames);
    if (c == 0)
        m_sLastError = "Invalid field name or column alphabet\n";
    return c;
}

// ---- Changing

std::string CSpreadSheet::EmptyCell() const
{
    // Workbook drivers store a blank where an empty text would be no cell at all.
    return m_bExcel ? " " : "";
}

bool CSpreadSheet::CheckHeaderRow(const std::vector<std::string>& names)
{
    if (!NamesValid(names))
        return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(i), names[i])
            != names.begin() + static_cast<std::ptrdiff_t>(i)) {
            m_sLastError = "Duplicate header row field:" + names[i] + "\n";
            return false;
        }
    }
    if (names.size() < m_aFieldNames.size()) {
        m_sLastError = "Number of columns in new header row cannot be less than the number of columns in previous "
                       "header row";
        return false;
    }
    return true;
}

bool CSpreadSheet::SetHeaderRow(const std::vector<std::string>& names, bool replace)
{
    if (m_bExcel && !NamesValid(names))
        return false;
    if (m_dTotalRows == 0) {
        if (!PutRow(names, 1, false))
            return false;
        m_dTotalColumns = static_cast<int>(names.size());
        m_dTotalRows = 1;
        return true;
    }
    if (replace)
        return PutRow(names, 1, true);

    std::vector<std::string> header = Cells(1);
    if (m_bExcel) {
        for (const std::string& name : names) {
            if (std::find(header.begin(), header.end(), name) != header.end()) {
                m_sLastError = "Duplicate header row field:" + name + "\n";
                return false;
            }
        }
    }
    header.insert(header.end(), names.begin(), names.end());
    if (!PutRow(header, 1, true)) {
        m_sLastError = "Problems with adding headers\n";
        return false;
    }
    m_dTotalColumns = std::max(m_dTotalColumns, static_cast<int>(header.size()));
    return true;
}

bool CSpreadSheet::PutRow(const std::vector<std::string>& cells, long row, bool replace)
{
    if (row < 0) {
        m_sLastError = kNegativeRow;
        return false;
    }
    const long target = row == 0 ? m_dTotalRows + 1 : row;
    const bool header = target == 1;
    if (header && m_bExcel && !CheckHeaderRow(cells))
        return false;
    if (m_bExcel) {
        const std::size_t fields = header ? cells.size() : m_aFieldNames.size();
        if (fields == 0) {
            m_sLastError = "No header row. Add header row first\n";
            return false;
        }
        if (cells.size() > fields) {
            m_sLastError = "Number of columns to be added cannot be greater than the number of fields\n";
            return false;
        }
    }

    std::string text = sheet_format::FormatRow(cells, m_sSeparator);
    if (target <= m_dTotalRows) {
        const auto at = m_aRows.begin() + (target - 1);
        if (replace)
            *at = std::move(text);
        else
            m_aRows.insert(at, std::move(text));
    } else {
        const std::string empty = sheet_format::FormatRow(
            std::vector<std::string>(static_cast<std::size_t>(m_dTotalColumns), EmptyCell()), m_sSeparator);
        m_aRows.resize(static_cast<std::size_t>(target - 1), empty);
        m_aRows.push_back(std::move(text));
    }
    m_dTotalRows = static_cast<long>(m_aRows.size());
    if (header)
        m_aFieldNames = cells;
    if (m_bExcel)
        m_dTotalColumns = static_cast<int>(m_aFieldNames.size());
    else
        m_dTotalColumns = std::max(m_dTotalColumns, static_cast<int>(cells.size()));
    return CommitOrDefer();
}

bool CSpreadSheet::PutCell(const std::string& text, int column, long row)
{
    if (column <= 0) {
        m_sLastError = "Column cannot be zero\n";
        return false;
    }
    if (m_bExcel && static_cast<std::size_t>(column) > m_aFieldNames.size() + 1) {
        m_sLastError = "Cell column to be added cannot be greater than the number of fields\n";
        return false;
    }
    const long r = row == 0 ? m_dCurrentRow : row;
    std::vector<std::string> cells;
    if (r >= 1 && r <= m_dTotalRows)
        cells = Cells(r);
    if (cells.size() < static_cast<std::size_t>(column))
        cells.resize(static_cast<std::size_t>(column));
    cells[static_cast<std::size_t>(column - 1)] = text;
    return PutRow(cells, r, true);
}

bool CSpreadSheet::PutCell(const std::string& text, const std::string& column, long row, bool lettersAllowed)
{
    const int c = Column(column, lettersAllowed);
    return c != 0 && PutCell(text, c, row);
}

bool CSpreadSheet::UpdateRows(const std::vector<std::string>& newValues, const std::vector<std::string>& oldValues)
{
    if (!m_bExcel) {
        m_sLastError = "Function not available for text delimited file\n";
        return false;
    }
    if (newValues.size() > m_aFieldNames.size() || oldValues.size() > m_aFieldNames.size()) {
        m_sLastError = "Number of columns to be added cannot be greater than the number of fields\n";
        return false;
    }
    try {
        Connect()->Execute(sheet_format::UpdateSql(m_sSheetName, m_aFieldNames, newValues, oldValues));
    } catch (const odbc::Error& e) {
        m_sLastError = e.what();
        return false;
    }
    return Open();
}

void CSpreadSheet::Clear()
{
    m_aRows.clear();
    m_aFieldNames.clear();
    m_dTotalRows = 0;
    m_dTotalColumns = 0;
    m_dCurrentRow = 1;
}

bool CSpreadSheet::DropSheet(const std::string& name)
{
    if (!m_bExcel) {
        Clear();
        m_bAppend = false;
        if (!CommitFile(m_sFile)) {
            m_sLastError = "Error deleting sheet\n";
            return false;
        }
        return true;
    }
    if (!NamesValid({name}))
        return false;
    try {
        Connect()->Execute(sheet_format::DropSql(m_profile, name));
    } catch (const odbc::Error&) {
        m_sLastError = "Error deleting sheet\n";
        return false;
    }
    // Another sheet of the workbook leaves this table as it is: emptied, the next commit
    // would replace this sheet with whatever is added afterwards.
    if (name == m_sSheetName) {
        Clear();
        m_bAppend = false;
    }
    return true;
}

// ---- Transactions and writing

void CSpreadSheet::StartTransaction()
{
    m_bTransaction = true;
}

bool CSpreadSheet::CommitChanges()
{
    return Commit(m_sSheetName, m_sFile, m_bAppend);
}

bool CSpreadSheet::CommitOrDefer()
{
    return m_bTransaction || CommitChanges();
}

bool CSpreadSheet::Revert()
{
    const bool ok = Open();
    m_bTransaction = false;
    if (!ok)
        m_sLastError = "Error in returning to previous state\n";
    return ok;
}

bool CSpreadSheet::Commit(const std::string& sheet, const std::string& file, bool append)
{
    const bool ok = m_bExcel ? CommitSheet(sheet, append) : CommitFile(file);
    m_bTransaction = false;
    return ok;
}

bool CSpreadSheet::CommitFile(const std::string& file)
{
    // The file could not be read: writing the table would replace what it holds.
    if (m_bUnreadable) {
        m_sLastError = "Error in opening file\n";
        return false;
    }
    QSaveFile out(QFile::decodeName(file.c_str()));
    bool ok = out.open(QIODevice::WriteOnly);
    for (std::size_t i = 0; ok && i < m_aRows.size(); ++i) {
        const std::string& row = m_aRows[i];
        ok = out.write(row.data(), static_cast<qint64>(row.size())) == static_cast<qint64>(row.size())
             && out.write("\r\n", 2) == 2;
    }
    if (!ok || !out.commit()) {
        m_sLastError = "Error writing file\n";
        return false;
    }
    return true;
}

void CSpreadSheet::WriteSheetRows(odbc::Connection& db, const std::string& sheet)
{
    for (long r = 2; r <= m_dTotalRows; ++r)
        db.Execute(sheet_format::InsertSql(m_profile, sheet, static_cast<int>(r), m_aFieldNames, Cells(r)));
}

bool CSpreadSheet::CommitSheet(const std::string& sheet, bool append)
{
    using namespace sheet_format;
    if (!NamesValid(m_aFieldNames))
        return false;
    try {
        const auto connection = Connect();
        odbc::Connection& db = *connection;
        if (db.CanRollBackDdl()) {
            // One transaction: a failure anywhere brings the dropped sheet back.
            db.BeginTransaction();
            if (append)
                db.Execute(DropSql(m_profile, sheet));
            db.Execute(CreateSql(m_profile, sheet, m_aFieldNames, append));
            WriteSheetRows(db, sheet);
            db.CommitTransaction();
        } else if (append) {
            // The rows go into a new sheet first; the old one is replaced only after that
            // worked, and a failure while replacing it leaves the rows in the new sheet.
            const std::string staging = sheet + kStagingSuffix;
            db.Execute(CreateSql(m_profile, staging, m_aFieldNames, false));
            try {
                WriteSheetRows(db, staging);
            } catch (const odbc::Error&) {
                try {
                    db.Execute(DropSql(m_profile, staging));
                } catch (const odbc::Error&) {
                }
                throw;
            }
            try {
                db.Execute(DropSql(m_profile, sheet));
                db.Execute(CreateSql(m_profile, sheet, m_aFieldNames, true));
                WriteSheetRows(db, sheet);
            } catch (const odbc::Error& e) {
                throw odbc::Error(std::string(e.what()) + "\nThe new rows are kept in sheet '" + staging + "'\n");
            }
            try {
                db.Execute(DropSql(m_profile, staging));
            } catch (const odbc::Error&) {
            }
        } else {
            db.Execute(CreateSql(m_profile, sheet, m_aFieldNames, false));
            WriteSheetRows(db, sheet);
        }
    } catch (const odbc::Error& e) {
        m_sLastError = e.what();
        return false;
    }
    if (!append) {
        m_dTotalColumns = static_cast<int>(m_aFieldNames.size());
        m_bAppend = true;
    }
    return true;
}

// ---- Conversion

bool CSpreadSheet::ConvertFile(const std::string& sheetOrSeparator)
{
    std::filesystem::path path(m_sFile);
    path.replace_extension(m_bExcel ? ".csv" : ".xls");
    CSpreadSheet target(path.string(), sheetOrSeparator, false, m_profile);
    // Whatever the target held is replaced (its append mode stays, so a sheet is dropped).
    target.Clear();
    target.StartTransaction();

    std::vector<std::string> header = m_aFieldNames;
    long first = 2;
    // A workbook cannot have two columns of one name: number them and keep the text
    // file's header row as data.
    if (!m_bExcel && HasDuplicates(header)) {
        header.clear();
        for (int i = 1; i <= m_dTotalColumns; ++i)
            header.push_back(std::to_string(i));
        first = 1;
    }
    bool ok = target.SetHeaderRow(header);
    for (long r = first; ok && r <= m_dTotalRows; ++r)
        ok = target.PutRow(Cells(r));
    if (ok)
        ok = target.CommitChanges();
    if (!ok)
        m_sLastError = target.m_sLastError;
    return ok;
}
