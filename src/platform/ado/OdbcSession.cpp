#include "platform/ado/OdbcSession.h"

#include "platform/ado/DataTypes.h"
#include "platform/ado/OdbcParameters.h"
#include "platform/ado/OdbcResultReader.h"
#include "platform/ado/OdbcText.h"

#include <algorithm>
#include <optional>

namespace ado {
namespace {

// A schema restriction as ODBC takes it: a null pointer for "any".
struct Restriction {
    explicit Restriction(const QString& text) : m_text(text) {}
    SQLWCHAR* data() const { return m_text.isNull() ? nullptr : toOdbc(m_text); }
    SQLSMALLINT length() const { return m_text.isNull() ? 0 : static_cast<SQLSMALLINT>(m_text.size()); }

private:
    QString m_text;
};

// Picks named columns out of a catalog result, in the order given, renamed to ADO's schema names.
ResultSet reshape(ResultSet&& odbc, const std::vector<std::pair<int, QString>>& picks)
{
    ResultSet out;
    for (const auto& [index, name] : picks) {
        Column c = odbc.columns.at(static_cast<size_t>(index));
        c.name = name;
        out.columns.push_back(c);
    }
    for (const RowView row : odbc.rows) {
        Row picked;
        for (const auto& pick : picks)
            picked.push_back(row.at(static_cast<size_t>(pick.first)));
        out.rows.push_back(picked);
    }
    return out;
}

// A text attribute of a described column; empty when the driver has none.
QString columnAttribute(const OdbcHandle& stmt, SQLUSMALLINT column, SQLUSMALLINT field)
{
    SQLWCHAR text[256] = {};
    SQLSMALLINT bytes = 0;
    Diagnostics ignored;
    stmt.check(SQLColAttributeW(stmt.get(), column, field, text, sizeof text, &bytes, nullptr), ignored);
    return fromOdbc(text, std::clamp<qsizetype>(bytes / 2, 0, 255));
}

} // namespace

OdbcSession::OdbcSession(SQLHANDLE environment, const QString& connectionString, int loginTimeoutSeconds)
    : m_dbc(SQL_HANDLE_DBC, environment)
{
    if (loginTimeoutSeconds > 0)
        m_dbc.check(SQLSetConnectAttrW(m_dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds)), 0),
                    m_warnings);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    m_dbc.check(SQLDriverConnectW(m_dbc.get(), nullptr, toOdbc(connectionString),
                                  static_cast<SQLSMALLINT>(connectionString.size()), out, 1024, &outLength,
                                  SQL_DRIVER_NOPROMPT),
                m_warnings);
}

OdbcSession::~OdbcSession()
{
    // Dropped with a transaction open, the connection rolls it back: the driver would refuse to disconnect
    // and keep the connection, and its locks, alive.
    if (m_manualCommit)
        SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_ROLLBACK);
}

OdbcHandle& OdbcSession::statement(int timeoutSeconds)
{
    if (m_stmt)
        SQLFreeStmt(m_stmt->get(), SQL_CLOSE); // what a statement that failed half way left unread goes
    else
        m_stmt.emplace(SQL_HANDLE_STMT, m_dbc.get());
    if (timeoutSeconds != m_stmtTimeout) {
        Diagnostics optionChanged; // a driver that rounds the time-out says so; that is no error of the statement
        m_stmt->check(SQLSetStmtAttrW(m_stmt->get(), SQL_ATTR_QUERY_TIMEOUT,
                                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(timeoutSeconds, 0))),
                                      0),
                      optionChanged);
        m_stmtTimeout = timeoutSeconds;
    }
    return *m_stmt;
}

ResultSet OdbcSession::execute(const QString& sql, int timeoutSeconds)
{
    OdbcHandle& stmt = statement(timeoutSeconds);
    stmt.check(SQLExecDirectW(stmt.get(), toOdbc(sql), static_cast<SQLINTEGER>(sql.size())), m_warnings);
    ResultSet result = readResult(stmt);
    // Nothing stays pending on the connection, as when the handle was freed: some drivers refuse any other
    // statement while one has results left.
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    return result;
}

ResultSet OdbcSession::readResult(const OdbcHandle& stmt)
{
    return OdbcResultReader(stmt, rereadsBoundColumns(), m_warnings).read();
}

bool OdbcSession::rereadsBoundColumns()
{
    if (!m_rereadsBoundColumns) {
        SQLUINTEGER extensions = 0;
        const SQLRETURN rc = SQLGetInfoW(m_dbc.get(), SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
        m_rereadsBoundColumns = SQL_SUCCEEDED(rc) && (extensions & SQL_GD_BOUND) != 0;
    }
    return *m_rereadsBoundColumns;
}

void OdbcSession::setAutoCommit(bool on)
{
    const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    m_dbc.check(SQLSetConnectAttrW(m_dbc.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value), 0),
                m_warnings);
}

void OdbcSession::endTransaction(SQLSMALLINT completion)
{
    m_dbc.check(SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), completion), m_warnings);
    setAutoCommit(true);
    m_manualCommit = false;
}

void OdbcSession::beginTrans()
{
    setAutoCommit(false);
    m_manualCommit = true;
}

void OdbcSession::commitTrans()
{
    endTransaction(SQL_COMMIT);
}

void OdbcSession::rollbackTrans()
{
    endTransaction(SQL_ROLLBACK);
}

ResultSet OdbcSession::tables(const SchemaFilter& filter)
{
    OdbcHandle stmt(SQL_HANDLE_STMT, m_dbc.get());
    const Restriction catalog(filter.catalog), schema(filter.schema), table(filter.table);
    stmt.check(SQLTablesW(stmt.get(), catalog.data(), catalog.length(), schema.data(), schema.length(), table.data(),
                          table.length(), nullptr, 0),
               m_warnings);
    return reshape(readResult(stmt), {{0, QStringLiteral("TABLE_CATALOG")},
                                      {1, QStringLiteral("TABLE_SCHEMA")},
                                      {2, QStringLiteral("TABLE_NAME")},
                                      {3, QStringLiteral("TABLE_TYPE")}});
}

ResultSet OdbcSession::columns(const SchemaFilter& filter)
{
    OdbcHandle stmt(SQL_HANDLE_STMT, m_dbc.get());
    const Restriction catalog(filter.catalog), schema(filter.schema), table(filter.table), column(filter.column);
    stmt.check(SQLColumnsW(stmt.get(), catalog.data(), catalog.length(), schema.data(), schema.length(), table.data(),
                           table.length(), column.data(), column.length()),
               m_warnings);
    ResultSet result = reshape(readResult(stmt), {{0, QStringLiteral("TABLE_CATALOG")},
                                                  {1, QStringLiteral("TABLE_SCHEMA")},
                                                  {2, QStringLiteral("TABLE_NAME")},
                                                  {3, QStringLiteral("COLUMN_NAME")},
                                                  {4, QStringLiteral("DATA_TYPE")},
                                                  {10, QStringLiteral("IS_NULLABLE")}});
    for (size_t i = 0; i < result.rows.size(); ++i) {
        const vb::Variant type = result.rows[i][4];
        const vb::Variant nullable = result.rows[i][5];
        if (!type.isNull())
            result.rows.set(i, 4, adoTypeFromSql(static_cast<int>(type.toLongLong())));
        if (!nullable.isNull())
            result.rows.set(i, 5, nullable.toLongLong() != SQL_NO_NULLS);
    }
    result.columns[4].type = adInteger;
    result.columns[5].type = adBoolean;
    return result;
}

QString OdbcSession::currentCatalog()
{
    SQLWCHAR name[256] = {};
    SQLINTEGER length = 0;
    m_dbc.check(SQLGetConnectAttrW(m_dbc.get(), SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length), m_warnings);
    return fromOdbc(name, std::min<qsizetype>(length / 2, 255));
}

void OdbcSession::setCurrentCatalog(const QString& name)
{
    // SQL_NTS: unixODBC's driver manager reads a byte length given here as a count of characters and runs
    // past the end of the text; QString's UTF-16 data is NUL-terminated.
    m_dbc.check(SQLSetConnectAttrW(m_dbc.get(), SQL_ATTR_CURRENT_CATALOG, toOdbc(name), SQL_NTS), m_warnings);
}

ResultSet OdbcSession::executeWith(const QString& sql, const std::vector<Parameter>& parameters, int timeoutSeconds)
{
    OdbcHandle stmt(SQL_HANDLE_STMT, m_dbc.get());
    if (timeoutSeconds > 0) {
        Diagnostics optionChanged; // a driver that rounds the time-out says so; that is no error of the statement
        stmt.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0),
                   optionChanged);
    }
    OdbcParameters bound(parameters);
    bound.bind(stmt, m_warnings);
    stmt.check(SQLExecDirectW(stmt.get(), toOdbc(sql), static_cast<SQLINTEGER>(sql.size())), m_warnings);
    return readResult(stmt);
}

const QString& OdbcSession::engine()
{
    if (!m_engine) {
        SQLWCHAR name[64] = {};
        SQLSMALLINT bytes = 0;
        const SQLRETURN rc = SQLGetInfoW(m_dbc.get(), SQL_DBMS_NAME, name, sizeof name, &bytes);
        m_engine = SQL_SUCCEEDED(rc) ? fromOdbc(name, std::clamp<qsizetype>(bytes / 2, 0, 63)) : QString();
    }
    return *m_engine;
}

// ODBC has no call that names the row an INSERT wrote: PostgreSQL hands it back with RETURNING, SQLite keeps
// the row identifier it gave last (the SQLite driver drops what RETURNING gives).
ResultSet OdbcSession::insertRow(const RowInsert& insert, int timeoutSeconds)
{
    const bool postgres = engine().startsWith(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);
    if (postgres && !insert.readBack.isEmpty())
        return executeWith(insert.sql + QStringLiteral(" RETURNING ") + insert.readBack.join(QStringLiteral(", ")),
                           insert.parameters, timeoutSeconds);
    ResultSet result = executeWith(insert.sql, insert.parameters, timeoutSeconds);
    result.columns.clear();
    result.rows.clear();
    if (insert.readBack.isEmpty() || result.rowsAffected != 1 ||
        !engine().startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return result;
    ResultSet row = lastSqliteRow(insert, timeoutSeconds);
    row.rowsAffected = result.rowsAffected;
    return row;
}

// The row identifier goes by three names, any of which a column may take for itself; a table without row
// identifiers (WITHOUT ROWID) has none of them.
ResultSet OdbcSession::lastSqliteRow(const RowInsert& insert, int timeoutSeconds)
{
    for (const char* identifier : {"rowid", "oid", "_rowid_"}) {
        if (insert.tableColumns.contains(QLatin1String(identifier), Qt::CaseInsensitive))
            continue;
        try {
            return execute(
                QStringLiteral("SELECT %1 FROM %2 WHERE %3 = last_insert_rowid()")
                    .arg(insert.readBack.join(QStringLiteral(", ")), insert.table, QLatin1String(identifier)),
                timeoutSeconds);
        } catch (const DriverError&) {
            break;
        }
    }
    return {};
}

QStringList OdbcSession::primaryKey(const QString& table)
{
    // "catalog.schema.table", each part perhaps in brackets or quotes as SQL Server and the others write them.
    QStringList parts = table.split(QLatin1Char('.'));
    for (QString& part : parts)
        part = part.trimmed().remove(QLatin1Char('[')).remove(QLatin1Char(']')).remove(QLatin1Char('"'));
    const Restriction name(parts.value(parts.size() - 1));
    const Restriction schema(parts.size() > 1 ? parts.value(parts.size() - 2) : QString());
    const Restriction catalog(parts.size() > 2 ? parts.value(parts.size() - 3) : QString());
    QStringList key;
    try {
        OdbcHandle stmt(SQL_HANDLE_STMT, m_dbc.get());
        Diagnostics ignored;
        stmt.check(SQLPrimaryKeysW(stmt.get(), catalog.data(), catalog.length(), schema.data(), schema.length(),
                                   name.data(), name.length()),
                   ignored);
        // Tables of the same name in other schemas follow the first one found: only its key counts.
        const ResultSet keys = readResult(stmt);
        for (const Row& row : keys.rows)
            if (row[0] == keys.rows.front()[0] && row[1] == keys.rows.front()[1])
                key << row[3].toString();
        if (!key.isEmpty())
            return key;
        OdbcHandle special(SQL_HANDLE_STMT, m_dbc.get());
        special.check(SQLSpecialColumnsW(special.get(), SQL_BEST_ROWID, catalog.data(), catalog.length(), schema.data(),
                                         schema.length(), name.data(), name.length(), SQL_SCOPE_CURROW, SQL_NO_NULLS),
                      ignored);
        // A pseudo-column (SQLite's rowid) is no column of the record set.
        const ResultSet identifiers = readResult(special);
        for (const Row& row : identifiers.rows)
            if (row[7].isNull() || row[7].toLongLong() != SQL_PC_PSEUDO)
                key << row[1].toString();
    } catch (const DriverError&) {
        key.clear(); // a driver that cannot tell leaves the row to be found by its values
    }
    return key;
}

// Asked of a prepared statement: what a record set reads needs no base names, only an edit of it does.
std::vector<ColumnOrigin> OdbcSession::columnOrigins(const QString& sql)
{
    std::vector<ColumnOrigin> origins;
    try {
        OdbcHandle stmt(SQL_HANDLE_STMT, m_dbc.get());
        Diagnostics ignored;
        stmt.check(SQLPrepareW(stmt.get(), toOdbc(sql), static_cast<SQLINTEGER>(sql.size())), ignored);
        SQLSMALLINT count = 0;
        stmt.check(SQLNumResultCols(stmt.get(), &count), ignored);
        bool named = false;
        for (SQLUSMALLINT i = 1; i <= count; ++i) {
            ColumnOrigin origin{columnAttribute(stmt, i, SQL_DESC_SCHEMA_NAME),
                                columnAttribute(stmt, i, SQL_DESC_BASE_TABLE_NAME),
                                columnAttribute(stmt, i, SQL_DESC_BASE_COLUMN_NAME)};
            named = named || !origin.table.isEmpty();
            origins.push_back(std::move(origin));
        }
        if (!named)
            origins.clear();
    } catch (const DriverError&) {
        origins.clear(); // a statement the driver cannot describe names no table
    }
    return origins;
}

QString OdbcSession::identifierQuote()
{
    if (!m_identifierQuote) {
        SQLWCHAR quote[8] = {};
        SQLSMALLINT bytes = 0;
        const SQLRETURN rc = SQLGetInfoW(m_dbc.get(), SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &bytes);
        // A blank is how a driver says it quotes no identifier.
        const QString text = SQL_SUCCEEDED(rc) ? fromOdbc(quote, std::clamp<qsizetype>(bytes / 2, 0, 7)) : QString();
        m_identifierQuote = text.trimmed();
    }
    return *m_identifierQuote;
}

void OdbcSession::close()
{
    m_stmt.reset(); // the kept statement goes before the connection it belongs to
    Diagnostics refused;
    if (m_manualCommit) {
        try {
            endTransaction(SQL_ROLLBACK);
        } catch (const DriverError& e) {
            refused = e.records(); // the disconnect tells whether the connection can still end
        }
    }
    try {
        m_dbc.disconnect(m_warnings);
    } catch (const DriverError& e) {
        refused.insert(refused.end(), e.records().begin(), e.records().end());
        throw DriverError(std::move(refused));
    }
    m_manualCommit = false;
}

Diagnostics OdbcSession::takeWarnings()
{
    return std::exchange(m_warnings, {});
}

} // namespace ado
