#include "platform/ado/Field.h"

#include "platform/ado/Recordset.h"

namespace ado {

QString Field::Name() const
{
    return m_recordset->column(m_index).name;
}

int Field::Type() const
{
    return m_recordset->column(m_index).type;
}

long Field::DefinedSize() const
{
    return m_recordset->column(m_index).definedSize;
}

void Field::setValue(const vb::Variant& value)
{
    m_recordset->setValue(m_index, value);
}

} // namespace ado
