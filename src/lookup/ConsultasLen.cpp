#include "lookup/ConsultasLen.h"

#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"

#include <QFile>

namespace ConsultasLen {
namespace {

// Reads one field of the run-time's quoted-record form from `pos`: a quoted text up to its closing quote,
// or bare text up to the next comma or line end (trimmed); the separator after it is passed over.
QString campo(const QString& texto, qsizetype& pos)
{
    const auto separador = [&](qsizetype i) {
        return texto[i] == QLatin1Char(',') || texto[i] == QLatin1Char('\r') || texto[i] == QLatin1Char('\n');
    };
    while (pos < texto.size() && texto[pos] == QLatin1Char(' '))
        ++pos;
    QString valor;
    if (pos < texto.size() && texto[pos] == QLatin1Char('"')) {
        const qsizetype cierre = texto.indexOf(QLatin1Char('"'), pos + 1);
        const qsizetype fin = cierre < 0 ? texto.size() : cierre;
        valor = texto.mid(pos + 1, fin - pos - 1);
        pos = cierre < 0 ? texto.size() : cierre + 1;
        while (pos < texto.size() && !separador(pos))
            ++pos;
    } else {
        const qsizetype inicio = pos;
        while (pos < texto.size() && !separador(pos))
            ++pos;
        valor = vb::Trim(texto.mid(inicio, pos - inicio));
    }
    if (pos < texto.size() && texto[pos] == QLatin1Char('\r'))
        ++pos;
    if (pos < texto.size())
        ++pos;
    return valor;
}

bool soloBlancos(const QString& texto, qsizetype pos)
{
    for (; pos < texto.size(); ++pos)
        if (texto[pos] != QLatin1Char('\r') && texto[pos] != QLatin1Char(' '))
            return false;
    return true;
}

// One line's record: its two fields, and nothing after them. A line that holds fewer or more is damaged.
bool registroDeLinea(const QString& linea, Registro& registro)
{
    qsizetype pos = 0;
    if (soloBlancos(linea, pos))
        return false;
    registro.tabla = campo(linea, pos);
    if (soloBlancos(linea, pos))
        return false;
    registro.anchos = campo(linea, pos);
    return soloBlancos(linea, pos);
}

} // namespace

QString RutaArchivo()
{
    return ClsUtilidades().AgregarBarra(vb::App::Path()) + QStringLiteral("CONSULTASLEN.MQT");
}

QString RutaAuxiliar()
{
    return ClsUtilidades().AgregarBarra(vb::App::Path()) + QStringLiteral("CONSULTASLEN.AUX");
}

std::vector<Registro> Leer(const QString& ruta)
{
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly))
        throw vb::Error(53, QStringLiteral("No se ha encontrado el archivo"));
    // Line by line, so that a damaged line costs only its own record instead of shifting every later one.
    std::vector<Registro> registros;
    for (const QString& linea : vb::fromAnsi(archivo.readAll()).split(QLatin1Char('\n'))) {
        Registro r;
        if (registroDeLinea(linea, r))
            registros.push_back(r);
    }
    return registros;
}

void Escribir(QIODevice& archivo, const Registro& registro)
{
    const QString linea =
        QStringLiteral("\"") + registro.tabla + QStringLiteral("\",\"") + registro.anchos + QStringLiteral("\"\r\n");
    const QByteArray bytes = vb::toAnsi(linea);
    if (archivo.write(bytes) != bytes.size())
        throw vb::Error(57, QStringLiteral("Error de E/S de dispositivo"));
}

QString ListaAnchos(const std::vector<double>& anchos)
{
    QString lista;
    for (double a : anchos)
        lista += vb::CStr(static_cast<double>(static_cast<float>(a))) + QStringLiteral("|");
    return lista;
}

bool TomarAncho(QString& lista, QString& ancho)
{
    const qsizetype barra = lista.indexOf(QLatin1Char('|'));
    if (barra < 0)
        return false;
    ancho = lista.left(barra);
    lista = lista.mid(barra + 1);
    return true;
}

} // namespace ConsultasLen
