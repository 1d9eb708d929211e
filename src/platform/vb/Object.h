// The base of the run-time's objects that a Variant can hold by reference (dictionaries, collections).
#pragma once

namespace vb {

class Object {
public:
    virtual ~Object() = default;
};

} // namespace vb
