#include "platform/ado/Connection.h"

#include "platform/ado/Driver.h"
#include "platform/ado/ErrorNumbers.h"
#include "platform/ado/ProviderMap.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"

#include <algorithm>

namespace ado {
namespace {

const QString kSource = QStringLiteral("ADODB.Connection");

} // namespace

std::shared_ptr<Connection> Connection::create()
{
    return std::shared_ptr<Connection>(new Connection);
}

Connection::~Connection() = default;

// Every call that reaches the driver starts a new set of errors; its warnings and failures fill it, and
// a failure is raised with the number and text of its first record.
template <class Call>
auto Connection::callDriver(Call&& call, bool connecting)
{
    m_errors.Clear();
    try {
        auto result = call();
        if (m_session)
            collect(m_session->takeWarnings());
        return result;
    } catch (const DriverError& e) {
        fail(e, connecting);
    }
}

void Connection::fail(const DriverError& e, bool connecting)
{
    if (m_session)
        collect(m_session->takeWarnings());
    collect(e.records(), connecting);
    for (long i = 0; i < m_errors.Count(); ++i)
        if (m_errors(i).Number() != 0)
            throw vb::Error(m_errors(i).Number(), m_errors(i).Description(), m_errors(i).Source());
    throw vb::Error(-2147467259, e.records().empty() ? QString() : e.records().front().message, m_source);
}

void Connection::collect(const std::vector<Diagnostic>& records, bool connecting)
{
    for (const Diagnostic& d : records)
        m_errors.add(Error(numberForSqlState(d.sqlState, d.nativeError, connecting), d.message, m_source, d.sqlState,
                           d.nativeError));
}

void Connection::Open(const QString& connectionString, const QString& userId, const QString& password, long)
{
    m_errors.Clear();
    if (m_session)
        raise(RunTimeError::ObjectOpen, kSource);
    if (!connectionString.isEmpty())
        m_connectionString = connectionString;
    const OdbcTarget target = mapProvider(m_connectionString, userId, password);
    m_source = target.source;
    const int timeout = m_connectionString.contains(QLatin1String("timeout"), Qt::CaseInsensitive)
                            ? target.loginTimeoutSeconds
                            : static_cast<int>(m_connectionTimeout);
    m_session = callDriver([&] { return currentDriver().connect(target.connectionString, timeout); }, true);
    collect(m_session->takeWarnings());
    m_transactionLevel = 0;
}

// The errors of the last operation stay when the connection ends cleanly; a refused disconnect replaces
// them with its own, is raised, and leaves the connection open.
void Connection::Close()
{
    if (!m_session)
        raise(RunTimeError::ObjectClosed, kSource);
    try {
        m_session->close();
    } catch (const DriverError& e) {
        // A connection that the network already ended is over, whatever the driver says of it: reconnecting
        // after a lost connection starts with this Close.
        const bool lost = std::all_of(e.records().begin(), e.records().end(),
                                      [](const Diagnostic& d) { return d.sqlState.startsWith(QLatin1String("08")); });
        if (!lost) {
            m_errors.Clear();
            fail(e);
        }
    }
    m_session.reset();
    m_transactionLevel = 0;
}

long Connection::State() const
{
    return m_session ? adStateOpen : adStateClosed;
}

void Connection::setConnectionString(const QString& value)
{
    if (m_session)
        raise(RunTimeError::ObjectOpen, kSource);
    m_connectionString = value;
}

Session& Connection::openSession()
{
    if (!m_session)
        raise(RunTimeError::ConnectionUnusable, kSource);
    return *m_session;
}

ResultSet Connection::run(const QString& sql)
{
    Session& session = openSession();
    return callDriver([&] { return session.execute(sql, static_cast<int>(m_commandTimeout)); });
}

ResultSet Connection::run(const QString& sql, const std::vector<Parameter>& parameters)
{
    Session& session = openSession();
    return callDriver([&] { return session.executeWith(sql, parameters, static_cast<int>(m_commandTimeout)); });
}

ResultSet Connection::insertRow(const RowInsert& insert)
{
    Session& session = openSession();
    return callDriver([&] { return session.insertRow(insert, static_cast<int>(m_commandTimeout)); });
}

QStringList Connection::primaryKey(const QString& table)
{
    return openSession().primaryKey(table);
}

std::vector<ColumnOrigin> Connection::columnOrigins(const QString& sql)
{
    return openSession().columnOrigins(sql);
}

QString Connection::identifierQuote()
{
    return openSession().identifierQuote();
}

Recordset Connection::Execute(const QString& commandText, long* recordsAffected, long)
{
    ResultSet result = run(commandText);
    if (recordsAffected)
        *recordsAffected = result.rowsAffected < 0 ? 0 : result.rowsAffected;
    Recordset rs;
    if (!result.columns.empty())
        rs.openOn(shared_from_this(), commandText, std::move(result), adLockReadOnly);
    return rs;
}

long Connection::BeginTrans()
{
    Session& session = openSession();
    callDriver([&] { return (session.beginTrans(), 0); });
    return ++m_transactionLevel;
}

void Connection::CommitTrans()
{
    Session& session = openSession();
    callDriver([&] { return (session.commitTrans(), 0); });
    m_transactionLevel = 0;
}

void Connection::RollbackTrans()
{
    Session& session = openSession();
    callDriver([&] { return (session.rollbackTrans(), 0); });
    m_transactionLevel = 0;
}

QString Connection::DefaultDatabase()
{
    Session& session = openSession();
    return callDriver([&] { return session.currentCatalog(); });
}

void Connection::setDefaultDatabase(const QString& name)
{
    Session& session = openSession();
    callDriver([&] { return (session.setCurrentCatalog(name), 0); });
}

Recordset Connection::OpenSchema(long schema, const std::vector<vb::Variant>& criteria)
{
    Session& session = openSession();
    auto at = [&](size_t i) {
        return i < criteria.size() && !criteria[i].isEmpty() && !criteria[i].isNull() ? criteria[i].toString()
                                                                                      : QString();
    };
    const SchemaFilter filter{at(0), at(1), at(2), schema == adSchemaColumns ? at(3) : QString()};
    ResultSet result;
    if (schema == adSchemaTables)
        result = callDriver([&] { return session.tables(filter); });
    else if (schema == adSchemaColumns)
        result = callDriver([&] { return session.columns(filter); });
    else
        raise(RunTimeError::NotAllowedInContext, kSource);
    // ADO's restrictions are exact names, but ODBC reads them as patterns ("_" stands for any character)
    // and some drivers ignore the catalog: rows of other names go. Rows naming no catalog or schema stay.
    const size_t names = schema == adSchemaColumns ? 4 : 3;
    for (size_t i = 0; i < names; ++i)
        if (const QString wanted = at(i); !wanted.isNull())
            result.rows.eraseIf([&](const auto& r) {
                return !r[i].isNull() && !r[i].toString().isEmpty() &&
                       r[i].toString().compare(wanted, Qt::CaseInsensitive) != 0;
            });
    if (schema == adSchemaTables && !at(3).isNull())
        result.rows.eraseIf(
            [&](const auto& r) { return r[3].isNull() || r[3].toString().compare(at(3), Qt::CaseInsensitive) != 0; });
    Recordset rs;
    rs.openOn(shared_from_this(), QString(), std::move(result), adLockReadOnly);
    return rs;
}

} // namespace ado
