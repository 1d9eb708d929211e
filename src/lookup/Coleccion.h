// The run-time's Collection as the lookup windows hand it around: an ordered list of values shared by
// reference, where a null pointer is "Nothing".
#pragma once

#include "platform/vb/Variant.h"

#include <memory>
#include <vector>

using Coleccion = std::shared_ptr<std::vector<vb::Variant>>;

inline Coleccion NuevaColeccion()
{
    return std::make_shared<std::vector<vb::Variant>>();
}
