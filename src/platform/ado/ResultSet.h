// What a statement gives back from a driver: its columns and all its rows (read at once: a client cursor).
#pragma once

#include "platform/ado/Rows.h"

#include <QString>
#include <vector>

namespace ado {

struct Column {
    QString name;
    int type = 0; // the ADO data-type code
    long definedSize = 0;
};

struct ResultSet {
    std::vector<Column> columns; // empty when the statement returns no rows
    Rows rows;
    long rowsAffected = -1;
};

} // namespace ado
