#include "global/stuff3.h"

#include "global/ast.h"
#include "platform/vb/ErrorAction.h"

#include <QLabel>
#include <QWidget>

namespace stuff3 {

void MostrarEstado(const vb::Variant&, const QString& Texto, const vb::Variant&, QWidget* Formulario)
{
    if (!Formulario)
        return;
    vb::ResumeNext([&] {
        if (auto* caja = Formulario->findChild<QLabel*>(QStringLiteral("picStatus")))
            ast::PintarProgreso(*caja, -1, 100, false, Texto);
    });
}

} // namespace stuff3
