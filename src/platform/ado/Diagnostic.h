// One diagnostic record as a driver reports it (ODBC's SQLGetDiagRec), and the failure that carries them.
#pragma once

#include <QString>
#include <exception>
#include <vector>

namespace ado {

struct Diagnostic {
    QString sqlState;
    long nativeError = 0;
    QString message;
};

using Diagnostics = std::vector<Diagnostic>;

// A failed driver call with every diagnostic record it left.
class DriverError : public std::exception {
public:
    explicit DriverError(Diagnostics records) : m_records(std::move(records)) {}
    const Diagnostics& records() const { return m_records; }
    const char* what() const noexcept override { return "driver call failed"; }

private:
    Diagnostics m_records;
};

} // namespace ado
