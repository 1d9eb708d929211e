// The collections the lookup windows hand around: the run-time's Collection shared by reference, where a
// null pointer is "Nothing".
#pragma once

#include "platform/vb/Collection.h"
#include "platform/vb/Error.h"

#include <memory>

using Coleccion = std::shared_ptr<vb::Collection>;

inline Coleccion NuevaColeccion()
{
    return std::make_shared<vb::Collection>();
}

// Adds to the collection; adding to Nothing is the run-time's error 91.
inline void Agregar(const Coleccion& coleccion, const vb::Variant& valor)
{
    if (!coleccion)
        throw vb::Error(91, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    coleccion->Add(valor);
}
