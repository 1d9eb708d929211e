// Status line of a window's progress box "picStatus", as the script runner shows its steps.
#pragma once

#include "platform/vb/Variant.h"

#include <QString>

class QWidget;

namespace stuff3 {

// Shows Texto on the window's "picStatus" box; does nothing without a window or box. Valor and Extra are
// not used. Never fails.
void MostrarEstado(const vb::Variant& Valor, const QString& Texto, const vb::Variant& Extra = {},
                   QWidget* Formulario = nullptr);

} // namespace stuff3
