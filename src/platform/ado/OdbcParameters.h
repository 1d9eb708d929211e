// The values of a statement's markers, converted once and bound to a statement handle. Each goes as the
// SQL type of its column, so the driver writes and compares it the way that column stores its values
// (a date as a date, a Boolean as the column's Boolean or number, a decimal exactly).
#pragma once

#include "platform/ado/OdbcHandle.h"
#include "platform/ado/Session.h"

#include <QString>
#include <vector>

namespace ado {

class OdbcParameters {
public:
    // How a column takes its values.
    enum class Kind;

    explicit OdbcParameters(const std::vector<Parameter>& parameters);
    OdbcParameters(const OdbcParameters&) = delete;
    OdbcParameters& operator=(const OdbcParameters&) = delete;

    // The driver reads the bound buffers when the statement runs: this object must outlive the execution.
    void bind(const OdbcHandle& stmt, Diagnostics& warnings);

private:
    struct Value {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN columnSize = 1;
        SQLSMALLINT decimalDigits = 0;
        QString text;
        SQLBIGINT integer = 0;
        SQLDOUBLE real = 0;
        SQLCHAR bit = 0;
        SQLLEN indicator = 0;
    };
    static Value convert(const Parameter& parameter);
    static void assign(Value& v, const vb::Variant& value, Kind kind);
    static void describe(Value& v, Kind kind, long definedSize);
    static void describeClock(Value& v, SQLULEN wholeSeconds);

    std::vector<Value> m_values;
};

} // namespace ado
