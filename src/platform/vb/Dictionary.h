// The scripting run-time's keyed dictionary: values under text keys compared with case, kept in the order added.
#pragma once

#include "platform/vb/Object.h"
#include "platform/vb/Variant.h"

#include <QHash>
#include <QString>
#include <QStringList>
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
    std::vector<std::pair<QString, Variant>> m_items;
    QHash<QString, std::size_t> m_index;
};

} // namespace vb
