// One field of a record set's current row, as ADO's Field object shows it.
#pragma once

#include "platform/vb/Variant.h"

#include <QString>

namespace ado {

class Recordset;

class Field {
public:
    Field(Recordset& recordset, int index) : m_recordset(&recordset), m_index(index) {}

    QString Name() const;
    // The ADO data-type code.
    int Type() const;
    long DefinedSize() const;
    // Null for SQL NULL; raises 3021 when there is no current row. Inline in Recordset.h, which every
    // holder of a Field includes.
    inline vb::Variant Value() const;
    // Starts an edit of the current row (or fills the row of AddNew); written by Update.
    void setValue(const vb::Variant& value);

private:
    Recordset* m_recordset;
    int m_index;
};

} // namespace ado
