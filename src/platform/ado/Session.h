// One open connection of a driver. Failing calls throw DriverError; warnings wait in takeWarnings().
#pragma once

#include "platform/ado/Diagnostic.h"
#include "platform/ado/ResultSet.h"

#include <QStringList>
#include <vector>

namespace ado {

// Restrictions of a schema query; an empty (null) QString means "any".
struct SchemaFilter {
    QString catalog;
    QString schema;
    QString table;
    QString column;
};

// A value for a marker (?) of a statement, sent as the type of the column it goes to or is compared with.
struct Parameter {
    vb::Variant value;
    int adoType = 0; // the column's ADO data-type code
    long definedSize = 0;
};

// Where a column of a result comes from: the table and column it reads, as the driver names them; empty
// names for a value the statement computes.
struct ColumnOrigin {
    QString schema;
    QString table;
    QString column;
};

// A new row for a table, and the columns whose values the engine is asked to hand back as it stored them
// (what its defaults and conversions made of them). Names are written as a statement writes them, except
// `tableColumns`: every column of the table, without quotes.
struct RowInsert {
    QString sql; // INSERT INTO … VALUES (…), its markers taking `parameters`
    std::vector<Parameter> parameters;
    QString table;
    QStringList readBack;
    QStringList tableColumns;
};

class Session {
public:
    virtual ~Session() = default;

    virtual ResultSet execute(const QString& sql, int timeoutSeconds) = 0;
    // Runs a statement whose markers take `parameters` in order.
    virtual ResultSet executeWith(const QString& sql, const std::vector<Parameter>& parameters, int timeoutSeconds) = 0;
    // Runs an INSERT of one row; its result holds that row's `readBack` columns where the driver can say which
    // row it wrote, and no columns where it cannot.
    virtual ResultSet insertRow(const RowInsert& insert, int timeoutSeconds)
    {
        ResultSet result = executeWith(insert.sql, insert.parameters, timeoutSeconds);
        result.columns.clear();
        result.rows.clear();
        return result;
    }
    virtual void beginTrans() = 0;
    virtual void commitTrans() = 0;
    virtual void rollbackTrans() = 0;
    // Columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE.
    virtual ResultSet tables(const SchemaFilter& filter) = 0;
    // Columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, DATA_TYPE (ADO code), IS_NULLABLE.
    virtual ResultSet columns(const SchemaFilter& filter) = 0;
    virtual QString currentCatalog() = 0;
    virtual void setCurrentCatalog(const QString& name) = 0;
    // The columns that tell one row of `table` from the others (its primary key, else a unique identifier the
    // driver names); empty when the table has none or the driver cannot tell.
    virtual QStringList primaryKey(const QString& table) = 0;
    // The origin of each column of the result `sql` would give, asked of the driver without running it;
    // empty when the driver names no base table at all (or cannot describe the statement).
    virtual std::vector<ColumnOrigin> columnOrigins(const QString&) { return {}; }
    // What the driver encloses an identifier in; empty when it quotes none.
    virtual QString identifierQuote() { return {}; }
    // Ends the connection: an open transaction is rolled back first, as a dropped connection would have it.
    // Throws DriverError when the driver refuses to disconnect; the session is then still connected.
    virtual void close() = 0;
    // The warning records of the calls since the last take.
    virtual Diagnostics takeWarnings() = 0;
};

} // namespace ado
