// ADO's Connection over the driver in charge: an OLE DB connection string in, provider errors collected
// into Errors, run-time errors raised as vb::Error. Record sets share it, so it lives in a shared_ptr.
#pragma once

#include "platform/ado/Errors.h"
#include "platform/ado/ResultSet.h"
#include "platform/ado/Session.h"
#include "platform/vb/Variant.h"

#include <QString>
#include <memory>
#include <vector>

namespace ado {

class Recordset;

enum ObjectStateEnum : long { adStateClosed = 0, adStateOpen = 1 };
enum CursorLocationEnum : long { adUseServer = 2, adUseClient = 3 };
enum SchemaEnum : long { adSchemaColumns = 4, adSchemaTables = 20 };

class Connection : public std::enable_shared_from_this<Connection> {
public:
    static std::shared_ptr<Connection> create();
    ~Connection();

    // `userId` and `password`, when given, take the place of the string's own.
    void Open(const QString& connectionString = {}, const QString& userId = {}, const QString& password = {},
              long options = -1);
    void Close();
    // Runs a statement; the record set is closed when the statement returns no rows.
    Recordset Execute(const QString& commandText, long* recordsAffected = nullptr, long options = -1);
    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // A transaction begun with BeginTrans is open.
    bool inTransaction() const { return m_transactionLevel > 0; }
    // Restrictions in ADO's order (catalog, schema, table, and column or table type); Empty means any.
    Recordset OpenSchema(long schema, const std::vector<vb::Variant>& criteria = {});

    long State() const;
    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString& value);
    long CursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(long value) { m_cursorLocation = value; }
    long CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(long value) { m_commandTimeout = value; }
    long ConnectionTimeout() const { return m_connectionTimeout; }
    void setConnectionTimeout(long value) { m_connectionTimeout = value; }
    QString DefaultDatabase();
    void setDefaultDatabase(const QString& name);
    ado::Errors& Errors() { return m_errors; }

    // Runs a statement for a record set of this connection.
    ResultSet run(const QString& sql);
    // Runs a statement of a record set's change, its values passed as parameters.
    ResultSet run(const QString& sql, const std::vector<Parameter>& parameters);
    // Runs the INSERT of a record set's new row (see Session::insertRow).
    ResultSet insertRow(const RowInsert& insert);
    // The columns that identify a row of the table (see Session::primaryKey).
    QStringList primaryKey(const QString& table);
    // See Session::columnOrigins and Session::identifierQuote.
    std::vector<ColumnOrigin> columnOrigins(const QString& sql);
    QString identifierQuote();

private:
    Connection() = default;
    template <class Call>
    auto callDriver(Call&& call, bool connecting = false);
    // Fills Errors with the failure's records and raises the first error among them.
    [[noreturn]] void fail(const DriverError& e, bool connecting = false);
    void collect(const std::vector<Diagnostic>& records, bool connecting = false);
    Session& openSession();

    std::unique_ptr<Session> m_session;
    ado::Errors m_errors;
    QString m_connectionString;
    QString m_source = QStringLiteral("ADODB.Connection");
    long m_cursorLocation = adUseServer;
    long m_commandTimeout = 30;
    long m_connectionTimeout = 15;
    long m_transactionLevel = 0;
};

} // namespace ado
