// The controls both lookup windows build the same way: their buttons and their search boxes.
#pragma once

#include <QRect>
#include <QString>

class QComboBox;
class QPushButton;
class QWidget;

namespace ControlesConsulta {

// A button that Enter does not press unless it is the window's default.
QPushButton* Boton(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar);
// An editable search box "CmbSearch" whose typed text is never added to its list.
QComboBox* CajaBusqueda(QWidget* padre);

} // namespace ControlesConsulta
