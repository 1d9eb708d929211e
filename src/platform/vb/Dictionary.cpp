#include "platform/vb/Dictionary.h"

#include "platform/vb/Error.h"

namespace vb {

void Dictionary::Add(const QString& key, const Variant& item)
{
    if (find(key))
        throw Error(457, QStringLiteral("Esta clave ya está asociada a un elemento de esta colección"),
                    QStringLiteral("Scripting.Dictionary"));
    m_items.emplace_back(key, item);
    if (m_items.size() == kSearchedInOrder + 1) {
        m_index.reserve(static_cast<qsizetype>(m_items.size()));
        for (std::size_t i = 0; i < m_items.size(); ++i)
            m_index.insert(m_items[i].first, i);
    } else if (m_items.size() > kSearchedInOrder) {
        m_index.insert(key, m_items.size() - 1);
    }
}

bool Dictionary::Exists(const QString& key) const
{
    return find(key).has_value();
}

Variant Dictionary::Item(const QString& key) const
{
    const auto found = find(key);
    return found ? m_items[*found].second : Variant();
}

QStringList Dictionary::Keys() const
{
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(m_items.size()));
    for (const auto& [key, item] : m_items)
        keys << key;
    return keys;
}

std::optional<std::size_t> Dictionary::find(const QString& key) const
{
    if (m_items.size() > kSearchedInOrder) {
        const auto found = m_index.constFind(key);
        return found == m_index.cend() ? std::nullopt : std::optional<std::size_t>(*found);
    }
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].first == key)
            return i;
    return std::nullopt;
}

} // namespace vb
