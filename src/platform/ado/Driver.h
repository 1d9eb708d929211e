// The driver behind the ADO layer: ODBC in the program; tests may install a scripted one.
#pragma once

#include "platform/ado/Session.h"

#include <memory>

namespace ado {

class Driver {
public:
    virtual ~Driver() = default;
    // Connects with an ODBC connection string; throws DriverError when the driver refuses.
    virtual std::unique_ptr<Session> connect(const QString& odbcConnectionString, int loginTimeoutSeconds) = 0;
};

// The driver new connections use: ODBC unless a test installed another.
Driver& currentDriver();
// Installs `driver` (nullptr restores ODBC) and returns the one it replaced.
Driver* setDriver(Driver* driver);

} // namespace ado
