#include "platform/ado/Driver.h"

#include "platform/ado/OdbcDriver.h"

namespace ado {
namespace {

Driver*& installed()
{
    static Driver* driver = nullptr;
    return driver;
}

} // namespace

Driver& currentDriver()
{
    if (installed())
        return *installed();
    // Never destroyed: connections kept in static objects may still close after other statics are gone.
    static OdbcDriver* const odbc = new OdbcDriver;
    return *odbc;
}

Driver* setDriver(Driver* driver)
{
    return std::exchange(installed(), driver);
}

} // namespace ado
