#include "database/LBM_Common.h"

#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace LBM_Common {
namespace {

// The utility library's services; its objects hold no state, so this module keeps one of its own.
const ClsUtilidades& funciones()
{
    static const ClsUtilidades instancia;
    return instancia;
}

// Items as sequential input reads them: separated by commas or line ends, blanks around them dropped,
// double quotes around an item removed.
QStringList items(const QString& texto)
{
    QStringList out;
    for (const QString& linea : texto.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")), Qt::SkipEmptyParts)) {
        // A line of blanks holds no item, as an empty line does.
        if (linea.trimmed().isEmpty())
            continue;
        for (const QString& item : linea.split(QLatin1Char(','))) {
            QString t = item.trimmed();
            if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
                t = t.mid(1, t.size() - 2);
            out << t;
        }
    }
    return out;
}

// The file holds every registered password: only its owner may read it, also when an older copy was
// readable by others. The old records and the new one are written to a new file that takes the old one's
// place only when complete, so a failed write leaves the file as it was.
bool agregarLinea(const QString& ruta, const QByteArray& linea)
{
    QByteArray contenido;
    QFile anterior(ruta);
    if (anterior.exists()) {
        if (!anterior.open(QIODevice::ReadOnly))
            return false;
        contenido = anterior.readAll();
    }
    contenido += linea;
    // Unbuffered, so that a short write shows in the count here instead of being lost in the final flush.
    QSaveFile archivo(ruta);
    return archivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
           archivo.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
           archivo.write(contenido) == contenido.size() && archivo.commit();
}

} // namespace

QString RutaBases()
{
    return funciones().AgregarBarra(vb::App::Path()) + QStringLiteral("BASES.TXT");
}

void RegistrarConexion(const QString& nombre, const QString& baseDatos, const QString& usuario, const QString& password,
                       const QString& servidor, const QString& servidorAlterno, bool esOracle)
{
    QString campo5 = (esOracle ? QStringLiteral("#") : QString()) + servidor;
    if (!servidorAlterno.isEmpty())
        campo5 += QLatin1Char('/') + servidorAlterno + QLatin1Char(':');
    const QString codificado = funciones().Codificar(password);
    QString linea;
    for (const QString& campo : {nombre, baseDatos, usuario, codificado})
        linea += vb::Trim(campo) + QLatin1Char(',');
    linea += vb::Trim(campo5) + QStringLiteral("\r\n");
    if (!agregarLinea(RutaBases(), vb::toAnsi(linea)))
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"), QStringLiteral("LBM_Common"));
}

std::vector<Registro> LeerConexiones()
{
    return LeerConexiones(RutaBases());
}

std::vector<Registro> LeerConexiones(const QString& ruta)
{
    std::vector<Registro> registros;
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly))
        return registros;
    const QStringList todos = items(vb::fromAnsi(archivo.readAll()));
    for (qsizetype i = 0; i + 5 <= todos.size(); i += 5)
        registros.push_back({todos[i], todos[i + 1], todos[i + 2], todos[i + 3], todos[i + 4]});
    return registros;
}

} // namespace LBM_Common
