// Reads what an executed ODBC statement returns: its columns, then all its rows (a client cursor).
#pragma once

#include "platform/ado/OdbcHandle.h"
#include "platform/ado/ResultSet.h"

#include <vector>

namespace ado {

class OdbcResultReader {
public:
    // With `bindColumns` (for drivers that let SQLGetData read a bound column again) every column is
    // bound, so a row arrives in one SQLFetch, and only a text longer than its buffer is read a second
    // time; otherwise each cell is read with SQLGetData. The statement's warnings go to `warnings`.
    OdbcResultReader(const OdbcHandle& stmt, bool bindColumns, Diagnostics& warnings);
    ~OdbcResultReader();
    OdbcResultReader(const OdbcResultReader&) = delete;
    OdbcResultReader& operator=(const OdbcResultReader&) = delete;

    ResultSet read();

private:
    enum class Reading { Integer, Real, Exact, Text, Timestamp, Boolean };
    // Where the driver leaves one column's value of the fetched row.
    struct Cell {
        Reading reading = Reading::Text;
        SQLLEN indicator = 0;
        SQLBIGINT integer = 0;
        SQLDOUBLE real = 0;
        std::vector<SQLWCHAR> text;
    };

    static Reading readingFor(int adoType);
    void describe(ResultSet& result);
    void bind(const std::vector<SQLULEN>& columnSizes);
    bool fetch();
    // The fetched row's value of `column` (from 1) into `row`: from its bound buffer, or through SQLGetData.
    void storeBound(Rows::Writer& row, SQLUSMALLINT column);
    void storeFetched(Rows::Writer& row, SQLUSMALLINT column);

    const OdbcHandle& m_stmt;
    bool m_bindColumns;
    Diagnostics& m_warnings;
    std::vector<Cell> m_cells;
};

} // namespace ado
