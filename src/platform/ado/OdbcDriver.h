// The program's driver: the ODBC driver manager (unixODBC, or Windows' own).
#pragma once

#include "platform/ado/Driver.h"
#include "platform/ado/OdbcHandle.h"

namespace ado {

class OdbcDriver : public Driver {
public:
    OdbcDriver();
    std::unique_ptr<Session> connect(const QString& odbcConnectionString, int loginTimeoutSeconds) override;

private:
    OdbcHandle m_environment;
};

} // namespace ado
