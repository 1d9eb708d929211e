#include "lookup/ControlesConsulta.h"

#include <QComboBox>
#include <QPushButton>

namespace ControlesConsulta {

QPushButton* Boton(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar)
{
    auto* b = new QPushButton(texto, padre);
    b->setObjectName(QLatin1String(nombre));
    b->setGeometry(lugar);
    b->setAutoDefault(false);
    return b;
}

QComboBox* CajaBusqueda(QWidget* padre)
{
    auto* caja = new QComboBox(padre);
    caja->setObjectName(QStringLiteral("CmbSearch"));
    caja->setEditable(true);
    caja->setInsertPolicy(QComboBox::NoInsert);
    caja->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    return caja;
}

} // namespace ControlesConsulta
