#include "app/odbc.h"

#include <sql.h>
#include <sqlext.h>

#include <array>

namespace odbc {

Error::Error(const std::string& message) : std::runtime_error(message) {}
Error::~Error() = default;

namespace {

bool Ok(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// The first diagnostic record of a handle, or what as a fallback.
std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    std::array<SQLCHAR, 6> state{};
    std::array<SQLCHAR, SQL_MAX_MESSAGE_LENGTH> text{};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (handle != SQL_NULL_HANDLE
        && Ok(SQLGetDiagRec(type, handle, 1, state.data(), &native, text.data(),
                            static_cast<SQLSMALLINT>(text.size()), &length))) {
        std::string message(reinterpret_cast<const char*>(text.data()));
        if (!message.empty())
            return message;
    }
    return std::string(what) + " failed";
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    if (!Ok(rc))
        throw Error(Diagnostic(type, handle, what));
}

// An ODBC 3 environment that frees itself.
struct Environment {
    SQLHENV handle = SQL_NULL_HENV;
    Environment()
    {
        if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle)))
            throw Error("SQLAllocHandle(ENV) failed");
        const SQLRETURN rc = SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION,
                                           reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        if (!Ok(rc)) {
            SQLFreeHandle(SQL_HANDLE_ENV, handle);
            throw Error("SQLSetEnvAttr(ODBC_VERSION) failed");
        }
    }
    ~Environment() { SQLFreeHandle(SQL_HANDLE_ENV, handle); }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;
    SQLHENV release()
    {
        SQLHENV h = handle;
        handle = SQL_NULL_HENV;
        return h;
    }
};

void RefuseForTest(const std::string& sql)
{
    const TestHooks& hooks = Hooks();
    if (hooks.failStatement && hooks.failStatement(sql))
        throw Error("statement refused by test hook: " + sql);
}

} // namespace

TestHooks& Hooks()
{
    static TestHooks hooks;
    return hooks;
}

std::string FindDriver(std::string_view searchWord)
{
    try {
        Environment env;
        std::array<SQLCHAR, 1024> name{};
        std::array<SQLCHAR, 2048> attributes{};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (Ok(SQLDrivers(env.handle, direction, name.data(), static_cast<SQLSMALLINT>(name.size()),
                             &nameLength, attributes.data(), static_cast<SQLSMALLINT>(attributes.size()),
                             &attributesLength))) {
            direction = SQL_FETCH_NEXT;
            std::string driver(reinterpret_cast<const char*>(name.data()));
            if (driver.find(searchWord) != std::string::npos)
                return driver;
        }
    } catch (const Error&) {
    }
    return {};
}

// ---- Statement

Statement::Statement(void* handle) : m_handle(handle) {}

Statement::~Statement()
{
    SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
}

int Statement::ColumnCount() const
{
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(m_handle, &count), SQL_HANDLE_STMT, m_handle, "SQLNumResultCols");
    return count;
}

std::string Statement::ColumnName(int column) const
{
    std::array<SQLCHAR, 512> name{};
    SQLSMALLINT length = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    Check(SQLDescribeCol(m_handle, static_cast<SQLUSMALLINT>(column), name.data(),
                         static_cast<SQLSMALLINT>(name.size()), &length, &type, &size, &digits, &nullable),
          SQL_HANDLE_STMT, m_handle, "SQLDescribeCol");
    return std::string(reinterpret_cast<const char*>(name.data()));
}

bool Statement::Fetch()
{
    const SQLRETURN rc = SQLFetch(m_handle);
    if (rc == SQL_NO_DATA)
        return false;
    Check(rc, SQL_HANDLE_STMT, m_handle, "SQLFetch");
    return true;
}

std::string Statement::Text(int column)
{
    std::string text;
    std::array<char, 4096> buffer{};
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(m_handle, static_cast<SQLUSMALLINT>(column), SQL_C_CHAR,
                                        buffer.data(), static_cast<SQLLEN>(buffer.size()), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        Check(rc, SQL_HANDLE_STMT, m_handle, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            break;
        // A truncated part fills the buffer but its terminating zero.
        const bool truncated = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(buffer.size());
        const std::size_t got = truncated ? buffer.size() - 1 : static_cast<std::size_t>(indicator);
        text.append(buffer.data(), got);
        if (rc == SQL_SUCCESS || !truncated)
            break;
    }
    return text;
}

// ---- Connection

Connection::Connection(const std::string& connectionText)
{
    Environment env;
    SQLHDBC dbc = SQL_NULL_HDBC;
    Check(SQLAllocHandle(SQL_HANDLE_DBC, env.handle, &dbc), SQL_HANDLE_ENV, env.handle, "SQLAllocHandle(DBC)");
    std::string text = connectionText;
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                          static_cast<SQLSMALLINT>(text.size()), nullptr, 0, &outLength,
                                          SQL_DRIVER_NOPROMPT);
    if (!Ok(rc)) {
        std::string message = Diagnostic(SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw Error(message);
    }
    m_env = env.release();
    m_dbc = dbc;
    m_connected = true;
}

Connection::~Connection()
{
    if (m_inTransaction)
        RollbackTransaction();
    if (m_connected)
        SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

void Connection::Execute(const std::string& sql)
{
    Query(sql);
}

std::unique_ptr<Statement> Connection::Query(const std::string& sql)
{
    RefuseForTest(sql);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt), SQL_HANDLE_DBC, m_dbc, "SQLAllocHandle(STMT)");
    std::unique_ptr<Statement> statement(new Statement(stmt));
    std::string text = sql;
    const SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                                       static_cast<SQLINTEGER>(text.size()));
    // A statement that touches no row (an UPDATE matching nothing) answers SQL_NO_DATA.
    if (rc != SQL_NO_DATA)
        Check(rc, SQL_HANDLE_STMT, stmt, "SQLExecDirect");
    return statement;
}

bool Connection::CanRollBackDdl()
{
    if (Hooks().noTransactions)
        return false;
    SQLUSMALLINT capable = SQL_TC_NONE;
    if (!Ok(SQLGetInfo(m_dbc, SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr)))
        return false;
    return capable == SQL_TC_ALL;
}

void Connection::BeginTransaction()
{
    Check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
          SQL_HANDLE_DBC, m_dbc, "SQLSetConnectAttr(AUTOCOMMIT)");
    m_inTransaction = true;
}

void Connection::CommitTransaction()
{
    Check(SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_COMMIT), SQL_HANDLE_DBC, m_dbc, "SQLEndTran(COMMIT)");
    m_inTransaction = false;
    SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

void Connection::RollbackTransaction() noexcept
{
    if (!m_inTransaction)
        return;
    SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    m_inTransaction = false;
    SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

} // namespace odbc
