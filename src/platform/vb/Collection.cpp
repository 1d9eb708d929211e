#include "platform/vb/Collection.h"

#include "platform/vb/Error.h"

namespace vb {

Variant Collection::Item(int index) const
{
    if (index < 1 || index > Count())
        throw Error(9, QStringLiteral("El subíndice está fuera del intervalo"), QStringLiteral("Collection"));
    return m_items[static_cast<std::size_t>(index - 1)];
}

} // namespace vb
