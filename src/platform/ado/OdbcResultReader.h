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
    // Where the driver leaves one column's value of the fetched row. Numbers and dates are bound as narrow
    // text (`bytes`), which the drivers hand over without converting it to wide characters per cell.
    struct Cell {
        Reading reading = Reading::Text;
        SQLLEN indicator = 0;
        SQLBIGINT integer = 0;
        SQLDOUBLE real = 0;
        std::vector<SQLWCHAR> text;
        std::vector<char> bytes;
    };

    static Reading readingFor(int adoType);
    void describe(ResultSet& result);
    void bind(const std::vector<SQLULEN>& columnSizes);
    bool fetch();
    // The fetched row's value of `column` (from 1) into `row`: from its bound buffer, or through SQLGetData.
    void storeBound(Rows::Writer& row, SQLUSMALLINT column);
    void storeFetched(Rows::Writer& row, SQLUSMALLINT column);
    void storeNarrow(Rows::Writer& row, SQLUSMALLINT column);

    const OdbcHandle& m_stmt;
    bool m_bindColumns;
    Diagnostics& m_warnings;
    std::vector<Cell> m_cells;
    // A narrow text widened, as long as the longest narrow buffer.
    std::vector<char16_t> m_wide;
};

} // namespace ado
