// The scripting run-time's keyed dictionary: values under text keys compared with case, kept in the order added.
#pragma once

#include "platform/vb/Object.h"
#include "platform/vb/Variant.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

namespace vb {

class Dictionary : public Object {
public:
    // Raises 457 when the key is already present.
    void Add(const QString& key, const Variant& item);
    bool Exists(const QString& key) const;
    // The value under the key; Empty when the key is absent (reading adds nothing).
    Variant Item(const QString& key) const;
    int Count() const { return static_cast<int>(m_items.size()); }
    QStringList Keys() const;

private:
    // Up to this many members a key is searched in order: most dictionaries are that small, and for them an
    // index costs more to build than it saves.
    static constexpr std::size_t kSearchedInOrder = 16;

    std::optional<std::size_t> find(const QString& key) const;

    std::vector<std::pair<QString, Variant>> m_items;
    // Built once the dictionary outgrows the search in order.
    QHash<QString, std::size_t> m_index;
};

} // namespace vb
