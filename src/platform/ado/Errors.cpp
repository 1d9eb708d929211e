#include "platform/ado/Errors.h"

#include "platform/ado/ErrorNumbers.h"

namespace ado {

const Error& Errors::Item(long index) const
{
    if (index < 0 || index >= Count())
        raise(RunTimeError::ItemNotFound, QStringLiteral("ADODB.Errors"));
    return m_items[static_cast<size_t>(index)];
}

} // namespace ado
