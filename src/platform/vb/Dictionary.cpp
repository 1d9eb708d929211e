#include "platform/vb/Dictionary.h"

#include "platform/vb/Error.h"

namespace vb {

void Dictionary::Add(const QString& key, const Variant& item)
{
    if (m_index.contains(key))
        throw Error(457, QStringLiteral("Esta clave ya está asociada a un elemento de esta colección"),
                    QStringLiteral("Scripting.Dictionary"));
    m_index.insert(key, m_items.size());
    m_items.emplace_back(key, item);
}

bool Dictionary::Exists(const QString& key) const
{
    return m_index.contains(key);
}

Variant Dictionary::Item(const QString& key) const
{
    const auto found = m_index.constFind(key);
    return found == m_index.cend() ? Variant() : m_items[*found].second;
}

QStringList Dictionary::Keys() const
{
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(m_items.size()));
    for (const auto& [key, item] : m_items)
        keys << key;
    return keys;
}

} // namespace vb
