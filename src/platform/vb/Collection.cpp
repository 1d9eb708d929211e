#include "platform/vb/Collection.h"

#include "platform/vb/Error.h"

namespace vb {

namespace {

void comprobarPosicion(int index, int count)
{
    if (index < 1 || index > count)
        throw Error(9, QStringLiteral("El subíndice está fuera del intervalo"), QStringLiteral("Collection"));
}

} // namespace

Variant Collection::Item(int index) const
{
    comprobarPosicion(index, Count());
    return m_items[static_cast<std::size_t>(index - 1)];
}

void Collection::Remove(int index)
{
    comprobarPosicion(index, Count());
    m_items.erase(m_items.begin() + (index - 1));
}

} // namespace vb
