// One open connection of a driver. Failing calls throw DriverError; warnings wait in takeWarnings().
#pragma once

#include "platform/ado/Diagnostic.h"
#include "platform/ado/ResultSet.h"

namespace ado {

// Restrictions of a schema query; an empty (null) QString means "any".
struct SchemaFilter {
    QString catalog;
    QString schema;
    QString table;
    QString column;
};

class Session {
public:
    virtual ~Session() = default;

    virtual ResultSet execute(const QString& sql, int timeoutSeconds) = 0;
    virtual void beginTrans() = 0;
    virtual void commitTrans() = 0;
    virtual void rollbackTrans() = 0;
    // Columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE.
    virtual ResultSet tables(const SchemaFilter& filter) = 0;
    // Columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, DATA_TYPE (ADO code), IS_NULLABLE.
    virtual ResultSet columns(const SchemaFilter& filter) = 0;
    virtual QString currentCatalog() = 0;
    virtual void setCurrentCatalog(const QString& name) = 0;
    // The warning records of the calls since the last take.
    virtual Diagnostics takeWarnings() = 0;
};

} // namespace ado
