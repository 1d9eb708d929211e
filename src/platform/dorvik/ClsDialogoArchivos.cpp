#include "platform/dorvik/ClsDialogoArchivos.h"

#include "platform/vb/Operator.h"

void ClsDialogoArchivos::MostrarAbrir()
{
    const auto elegido = vb::currentOperator().openFile(nullptr, m_titulo, m_filtro);
    m_cancelado = !elegido.has_value();
    m_nombre = elegido.value_or(QString());
}
