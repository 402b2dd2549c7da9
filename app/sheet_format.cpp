#include "app/sheet_format.h"

#include <algorithm>

SheetDriverProfile SheetDriverProfile::Workbook()
{
    return {"Excel", "DRIVER={%s};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"%s\";DBQ=%s",
            "[%s$A1:IV65536]", "[%s$A1:IV%d]"};
}

SheetDriverProfile SheetDriverProfile::SQLite3()
{
    return {"SQLite3", "DRIVER={%s};Database=%s;", "[%s]", "[%s]"};
}

namespace sheet_format {

namespace {

bool StartsWith(std::string_view text, std::size_t at, std::string_view part)
{
    return text.size() - at >= part.size() && text.compare(at, part.size(), part) == 0;
}

// "%s" replaced by the texts in turn (the last one repeats), "%d" by number.
std::string Substitute(std::string_view rule, const std::vector<std::string_view>& texts, int number)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < rule.size(); ++i) {
        if (rule[i] == '%' && i + 1 < rule.size() && (rule[i + 1] == 's' || rule[i + 1] == 'd')) {
            if (rule[i + 1] == 's')
                out += texts.empty() ? std::string_view() : texts[std::min(next++, texts.size() - 1)];
            else
                out += std::to_string(number);
            ++i;
        } else {
            out += rule[i];
        }
    }
    return out;
}

void AppendColumnList(std::string& sql, const std::vector<std::string>& headers, std::size_t count,
                      std::string_view after)
{
    for (std::size_t i = 0; i < count; ++i) {
        sql += '[';
        sql += headers[i];
        sql += ']';
        sql += after;
        if (i + 1 < count)
            sql += ", ";
    }
}

} // namespace

std::string FormatRow(const std::vector<std::string>& cells, std::string_view separator)
{
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            row += separator;
        row += '"';
        for (char c : cells[i]) {
            if (c == '"')
                row += '"';
            row += c;
        }
        row += '"';
    }
    return row;
}

std::vector<std::string> ParseRow(std::string_view text, std::string_view separator)
{
    std::vector<std::string> cells;
    if (separator.empty())
        return {std::string(text)};
    std::size_t i = 0;
    for (;;) {
        std::string cell;
        if (i < text.size() && text[i] == '"') {
            // Quoted cell: ends at a quote that the separator or the end follows.
            ++i;
            for (;;) {
                if (i >= text.size())
                    break;
                if (text[i] == '"') {
                    if (i + 1 == text.size() || StartsWith(text, i + 1, separator)) {
                        ++i;
                        break;
                    }
                    if (text[i + 1] == '"')
                        ++i;
                }
                cell += text[i++];
            }
        } else {
            const std::size_t end = std::min(text.find(separator, i), text.size());
            cell.assign(text.substr(i, end - i));
            i = end;
        }
        cells.push_back(std::move(cell));
        if (i >= text.size())
            break;
        i += separator.size(); // i stands on the separator
        if (i == text.size()) {
            cells.emplace_back(); // a separator at the end leaves an empty last cell
            break;
        }
    }
    return cells;
}

int ColumnNumber(std::string_view column, bool lettersAllowed, const std::vector<std::string>& headers)
{
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (lettersAllowed && !column.empty() && column.size() <= 2 && std::all_of(column.begin(), column.end(), letter)) {
        int number = 0;
        for (char c : column)
            number = number * 26 + ((c & ~0x20) - 'A' + 1);
        return number;
    }
    const auto it = std::find(headers.begin(), headers.end(), column);
    return it == headers.end() ? 0 : static_cast<int>(it - headers.begin()) + 1;
}

std::string SqlValue(std::string_view text)
{
    std::string value = "'";
    for (char c : text) {
        if (c == '\'')
            value += '\'';
        value += c;
    }
    value += '\'';
    return value;
}

bool IsValidName(std::string_view name)
{
    return name.find_first_of("[]") == std::string_view::npos;
}

std::string TableName(std::string_view rule, std::string_view sheet, int row)
{
    return Substitute(rule, {sheet}, row);
}

std::string ConnectionText(const SheetDriverProfile& profile, std::string_view driver, std::string_view file)
{
    return Substitute(profile.connection, {driver, file}, 0);
}

std::string SelectSql(const SheetDriverProfile& profile, std::string_view sheet)
{
    return "SELECT * FROM " + TableName(profile.table, sheet);
}

std::string DropSql(const SheetDriverProfile& profile, std::string_view sheet)
{
    return "DROP TABLE " + TableName(profile.table, sheet);
}

std::string CreateSql(const SheetDriverProfile& profile, std::string_view sheet,
                      const std::vector<std::string>& headers, bool heldData)
{
    std::string sql = "CREATE TABLE " + (heldData ? TableName(profile.table, sheet) : TableName("[%s]", sheet)) + " (";
    AppendColumnList(sql, headers, headers.size(), " char(255)");
    return sql + ")";
}

std::string InsertSql(const SheetDriverProfile& profile, std::string_view sheet, int row,
                      const std::vector<std::string>& headers, const std::vector<std::string>& cells)
{
    const std::size_t count = std::min(headers.size(), cells.size());
    std::string sql = "INSERT INTO " + TableName(profile.insertTable, sheet, row - 1) + " (";
    AppendColumnList(sql, headers, count, "");
    sql += ") VALUES (";
    for (std::size_t i = 0; i < count; ++i) {
        sql += SqlValue(cells[i]);
        if (i + 1 < count)
            sql += ", ";
    }
    return sql + ")";
}

std::string UpdateSql(std::string_view sheet, const std::vector<std::string>& headers,
                      const std::vector<std::string>& newValues, const std::vector<std::string>& oldValues)
{
    std::string sql = "UPDATE " + TableName("[%s]", sheet) + " SET ";
    const std::size_t set = std::min(headers.size(), newValues.size());
    for (std::size_t i = 0; i < set; ++i)
        sql += "[" + headers[i] + "]=" + SqlValue(newValues[i]) + (i + 1 < set ? ", " : "");
    sql += " WHERE (";
    const std::size_t where = std::min(headers.size(), oldValues.size());
    for (std::size_t i = 0; i < where; ++i)
        sql += "[" + headers[i] + "]=" + SqlValue(oldValues[i]) + (i + 1 < where ? " AND " : "");
    return sql + ")";
}

} // namespace sheet_format
