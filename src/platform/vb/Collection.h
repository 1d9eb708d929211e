// The run-time's ordered collection: values in the order added, read by their 1-based position.
#pragma once

#include "platform/vb/Object.h"
#include "platform/vb/Variant.h"

#include <vector>

namespace vb {

class Collection : public Object {
public:
    void Add(const Variant& item) { m_items.push_back(item); }
    int Count() const { return static_cast<int>(m_items.size()); }
    // Raises 9 outside 1..Count.
    Variant Item(int index) const;
    // Takes out the value at the 1-based position; raises 9 outside 1..Count.
    void Remove(int index);

private:
    std::vector<Variant> m_items;
};

} // namespace vb
