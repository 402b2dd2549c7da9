#pragma once
// A small RAII layer over the unixODBC driver manager: one environment per connection,
// statements that free their handle, and every failure raised as odbc::Error carrying the
// driver's own diagnostic text. sql.h stays inside odbc.cpp.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace odbc {

// A failed ODBC call; what() is the first diagnostic record's message (or a short
// description of the call when the driver gave none).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message);
    ~Error() override;
};

// The name of the first installed driver whose name contains searchWord (case sensitive),
// in the order the driver manager lists them; empty when there is none or the list cannot
// be read.
std::string FindDriver(std::string_view searchWord);

class Connection;

// A statement that has run and may carry a result set.
class Statement {
public:
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int ColumnCount() const;
    std::string ColumnName(int column) const; // 1-based
    // Moves to the next record; false at the end.
    bool Fetch();
    // The text of a column of the current record (1-based); NULL gives "". Cells are
    // read in full as SQL_C_CHAR, whatever their length.
    std::string Text(int column);

private:
    friend class Connection;
    explicit Statement(void* handle);
    void* m_handle;
};

class Connection {
public:
    // Connects without any prompt; raises Error on failure.
    explicit Connection(const std::string& connectionText);
    ~Connection(); // rolls back an open transaction, disconnects
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs one statement and discards any result.
    void Execute(const std::string& sql);
    // Runs one statement and hands out its result set.
    std::unique_ptr<Statement> Query(const std::string& sql);

    // True when the driver can run DDL and DML inside one transaction (SQL_TC_ALL), so a
    // dropped table comes back on rollback.
    bool CanRollBackDdl();
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction() noexcept;

private:
    void* m_env = nullptr;
    void* m_dbc = nullptr;
    bool m_connected = false;
    bool m_inTransaction = false;
};

// Test hooks: a statement for which failStatement returns true fails as if the driver had
// refused it; noTransactions makes CanRollBackDdl answer false. Not for production use;
// reset them to their defaults after each test.
struct TestHooks {
    std::function<bool(std::string_view sql)> failStatement;
    bool noTransactions = false;
};
TestHooks& Hooks();

} // namespace odbc
