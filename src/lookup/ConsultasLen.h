// The column-width file "CONSULTASLEN.MQT" beside the program: one quoted record per table, the table's
// name and its column widths in twips, each followed by "|".
#pragma once

#include <QString>
#include <vector>

class QIODevice;

namespace ConsultasLen {

struct Registro {
    QString tabla;
    QString anchos;
};

// The file and the temporary file of a rewrite, in the program's folder.
QString RutaArchivo();
QString RutaAuxiliar();

// The records in file order, one per line; a line that does not hold exactly two fields is passed over.
// Throws vb::Error when the file cannot be read.
std::vector<Registro> Leer(const QString& ruta);
// Writes one record as the run-time's Write # does: both fields quoted, a comma between, CR LF after.
void Escribir(QIODevice& archivo, const Registro& registro);

// The width list of the given column widths (twips), each as a single-precision number in the user's
// locale followed by "|".
QString ListaAnchos(const std::vector<double>& anchos);
// Takes the first width off the list: false when the list holds no further "|"-ended entry.
bool TomarAncho(QString& lista, QString& ancho);

} // namespace ConsultasLen
