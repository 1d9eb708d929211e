// Lets SQLite run the SQL Server idioms that the database class writes into every lookup ("TOP n",
// "with(nolock)" and the function ISNULL): a driver in front of ODBC that rewrites them to "LIMIT n", nothing
// and IFNULL. Installed while it lives; everything else reaches the real SQLite driver unchanged.
#pragma once

#include "platform/ado/Driver.h"

namespace kembtest {

class SqlServerDialect : public ado::Driver {
public:
    SqlServerDialect();
    ~SqlServerDialect() override;

    static QString rewrite(const QString& sql);
    std::unique_ptr<ado::Session> connect(const QString& odbcConnectionString, int loginTimeoutSeconds) override;

private:
    ado::Driver* m_previous = nullptr;
};

} // namespace kembtest
