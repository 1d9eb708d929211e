// A connection's Errors collection: the diagnostic records of its last failing or warning operation.
#pragma once

#include "platform/ado/Error.h"

#include <vector>

namespace ado {

class Errors {
public:
    long Count() const { return static_cast<long>(m_items.size()); }
    // Raises run-time error 3265 for an index outside the collection.
    const Error& Item(long index) const;
    const Error& operator()(long index) const { return Item(index); }
    void Clear() { m_items.clear(); }

    void add(Error error) { m_items.push_back(std::move(error)); }

private:
    std::vector<Error> m_items;
};

} // namespace ado
