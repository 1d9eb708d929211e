// The collections the lookup windows hand around: the run-time's Collection shared by reference, where a
// null pointer is "Nothing".
#pragma once

#include "platform/vb/Collection.h"

#include <memory>

using Coleccion = std::shared_ptr<vb::Collection>;

inline Coleccion NuevaColeccion()
{
    return std::make_shared<vb::Collection>();
}
