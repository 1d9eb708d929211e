// The SQL script runner: a script file run batch by batch on the main connection, and its progress box.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace ast {

// Runs the script file Ruta on gDB. In batch mode (Inmediato false) its statements end at lines "GO" or
// "/", and the whole script runs again (up to 20 passes) while a statement fails for want of an object
// that a later statement creates; placeholders <DATE>, <NOW>, <DATE+YEAR>, <DATE-YEAR> and <DATABASE> are
// filled in. Immediate mode runs a statement at each line starting "IF NOT EXISTS". Lower-case table drops
// and truncations need the access code unless Permitido is already true (it becomes true once the code was
// typed). Failures go to the error file "Script" + hour, minute and second without leading zeros + ".TXT" in
// the temporary folder, which is opened at the end when there were any. Progress shows on Formulario's
// "picStatus" box when given. Filtro, when not empty, runs only the statements that contain it.
void Ejecutar(const QString& Ruta, QWidget* Formulario, const QString& Filtro, bool& Permitido, bool Inmediato);

// Paints a dark-blue bar for Valor of Total on the box with the caption Texto and the per cent centred on it;
// Valor -1 keeps the last value painted. The per cent shows 1 to 99 until Terminado.
void PintarProgreso(QLabel& Caja, float Valor, float Total, bool Terminado = false, const QString& Texto = QString());

} // namespace ast
