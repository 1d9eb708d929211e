#include "global/ModGlobal.h"

#include "database/DB_Dll.h"
#include "platform/dorvik/ClsEspera.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Process.h"
#include "platform/vb/Strings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace ModGlobal {
namespace {

constexpr qint64 kMitadBloque = 16384;
constexpr qint64 kBloque = 2 * kMitadBloque;

bool copiarTramo(QFile& origen, QFile& destino, qint64 largo)
{
    if (largo == 0)
        return true;
    const QByteArray datos = origen.read(largo);
    return datos.size() == largo && destino.write(datos) == largo;
}

// A text value between apostrophes in a statement: its own apostrophes doubled.
QString comoLiteral(const QString& valor)
{
    return QString(valor).replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString tablaConfiguracion()
{
    if (vb::Trim(gTablaConfiguracion()).isEmpty())
        gTablaConfiguracion() = QStringLiteral("TA_CONFIGURACION");
    return gTablaConfiguracion();
}

QString sentenciaLectura(const QString& clave)
{
    const QString limpia = vb::Trim(clave);
    const QString sql = QStringLiteral("SELECT VALOR, valoraux FROM ") + tablaConfiguracion() +
                        QStringLiteral(" with(nolock)  WHERE CLAVE = '") + comoLiteral(limpia) + QStringLiteral("'");
    const bool enMayusculas = limpia.compare(QLatin1String("[FECHA HASTA]"), Qt::CaseInsensitive) == 0 ||
                              limpia.compare(QLatin1String("[FECHA DESDE]"), Qt::CaseInsensitive) == 0;
    return enMayusculas ? sql.toUpper() : sql;
}

QString textoCampo(ado::Recordset& rs, const QString& campo)
{
    return gFunciones().ValorCampo(rs.Fields(campo).Value()).toString();
}

// Cfg and CfgMQ: only Ignore goes on; any other answer closes the record set and reads as "".
QString leerClave(DB_Dll& db, const QString& clave, QString& valorAux, const QString& rutina)
{
    QString resultado;
    QString sql;
    ado::Recordset rs;
    const vb::Flow flujo = vb::RunSteps({[&] { return sql = sentenciaLectura(clave), true; },
                                         [&] {
                                             db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly,
                                                               ado::adLockReadOnly, ado::adCmdUnspecified, true);
                                             return true;
                                         },
                                         [&] {
                                             if (rs.Eof()) {
                                                 resultado = QStringLiteral(" ");
                                                 valorAux.clear();
                                             } else {
                                                 resultado = textoCampo(rs, QStringLiteral("VALOR"));
                                                 valorAux = textoCampo(rs, QStringLiteral("ValorAux"));
                                             }
                                             return true;
                                         },
                                         [&] { return db.CierraRecordset(rs), true; },
                                         [&] {
                                             if (clave.compare(QLatin1String("THEME"), Qt::CaseInsensitive) == 0 &&
                                                 vb::Trim(resultado).isEmpty())
                                                 resultado = QStringLiteral("1");
                                             return true;
                                         }},
                                        [&](const vb::Error& e) {
                                            const int respuesta = TratamientoErrores(e, std::nullopt, rutina);
                                            return respuesta == vb::kContinue ? respuesta : 0;
                                        });
    if (flujo == vb::Flow::Next)
        return resultado;
    vb::ResumeNext([&] { db.CierraRecordset(rs); });
    return QString();
}

// A date written as text in any form the regional settings or ISO allow; nothing when it is none.
std::optional<vb::Date> comoFecha(const QString& texto)
{
    const QString limpio = texto.trimmed();
    if (limpio.isEmpty())
        return std::nullopt;
    try {
        return vb::Variant(limpio).toDate();
    } catch (const vb::Error&) {
    }
    for (const char* formato : {"d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(limpio, QLatin1String(formato));
        if (dt.isValid())
            return vb::Date::fromDateTime(dt);
    }
    return std::nullopt;
}

// FechaServidor without an answer from the server.
vb::Date fechaLocal()
{
    if (gUsaFechaOperacion())
        if (const auto operacion = comoFecha(Cfg(QStringLiteral("FECHAOPERHASTA"))))
            return *operacion;
    return vb::Date::Now();
}

const QString kPrefijoShell = QStringLiteral("SHELL:");

QString parametrosModulo(const QString& adicional)
{
    const DB_Dll& db = gDB();
    return QStringLiteral(" ; @server=") + db.gServidor + QStringLiteral("; @dbname=") + db.gDBName +
           QStringLiteral("; @usuario=") + db.gUsuario + QStringLiteral("; @Password=") +
           QStringLiteral("; @ParametroAdicional=") + adicional + QStringLiteral("; zeku@ ; @UsuarioLogeado = ") +
           gUsuarioLogeado() + QStringLiteral("; @Caja=") + gCaja() + QStringLiteral(";");
}

// The program to start: a name alone is looked for in the program's folder; "SHELL:" in front is dropped.
QString programaModulo(const QString& ejecutable)
{
    QString programa = ejecutable;
    if (programa.startsWith(kPrefijoShell, Qt::CaseInsensitive))
        programa = programa.mid(kPrefijoShell.size());
    if (!programa.contains(QLatin1Char('\\')) && !programa.contains(QLatin1Char('/')))
        programa = gFunciones().AgregarBarra(vb::App::Path()) + programa;
    return programa.contains(QLatin1Char(' ')) ? QLatin1Char('"') + programa + QLatin1Char('"') : programa;
}

// Starts the command with the connection's password in the child's environment only.
std::int64_t iniciarModulo(const QString& comando)
{
    struct ClaveEnEntorno {
        ClaveEnEntorno() : habia(qEnvironmentVariableIsSet(kVariableClave)), anterior(qgetenv(kVariableClave))
        {
            qputenv(kVariableClave, gDB().gUserPassWord.toUtf8());
        }
        ~ClaveEnEntorno()
        {
            if (habia)
                qputenv(kVariableClave, anterior);
            else
                qunsetenv(kVariableClave);
        }
        bool habia;
        QByteArray anterior;
    } clave;
    return vb::Shell(comando, vb::vbNormalFocus);
}

} // namespace

ClsUtilidades& gFunciones()
{
    static const auto instancia = std::make_unique<ClsUtilidades>();
    return *instancia;
}

ClsSistema& gEntorno()
{
    static const auto instancia = std::make_unique<ClsSistema>();
    return *instancia;
}

ClsEspera& gEspera()
{
    static const auto instancia = std::make_unique<ClsEspera>();
    return *instancia;
}

DB_Dll& gDB()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

DB_Dll& gDBEstadisticas()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

DB_Dll& gDBConsulta()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

DB_Dll& gDBRSQL()
{
    static const auto instancia = std::make_unique<DB_Dll>();
    return *instancia;
}

bool& gRestringeAsientos()
{
    static bool restringe = false;
    return restringe;
}

QString& gTablaConfiguracion()
{
    static QString tabla;
    return tabla;
}

QString Cfg(const QString& Clave)
{
    QString valorAux;
    return Cfg(Clave, valorAux);
}

QString Cfg(const QString& Clave, QString& ValorAux)
{
    if (!gDB().gOpenFlag)
        return QString();
    return leerClave(gDB(), Clave, ValorAux, QStringLiteral("Cfg"));
}

QString CfgMQ(const QString& Clave)
{
    QString valorAux;
    return CfgMQ(Clave, valorAux);
}

QString CfgMQ(const QString& Clave, QString& ValorAux)
{
    return leerClave(gDBEstadisticas(), Clave, ValorAux, QStringLiteral("CfgMQ"));
}

void GrabaCfgMQ(const QString& Clave, const vb::Variant& Valor, const QString& ValorAux, bool PoliticaNegocio,
                const QString& Grupo, bool RecortarValor)
{
    DB_Dll& db = gDBEstadisticas();
    // The row is looked up by the key in its stored form, so an existing row is found and never doubled.
    const QString clave = vb::Trim(Clave).toUpper();
    QString sql = QStringLiteral("SELECT * FROM ") + tablaConfiguracion() +
                  QStringLiteral(" with(nolock)  WHERE CLAVE = '") + comoLiteral(clave) + QStringLiteral("'");
    ado::Recordset rs;
    const ClsUtilidades& f = gFunciones();
    const vb::Variant valor = RecortarValor ? vb::Variant(vb::Trim(f.ValorCampo(Valor).toString())) : Valor;
    vb::ResumeNext([&] {
        db.AbrirRecordset(sql, rs, db.gCnn, ado::adOpenDynamic, ado::adLockOptimistic, ado::adCmdUnspecified, true);
    });
    vb::ResumeNext([&] {
        if (rs.Eof())
            rs.AddNew();
        else
            rs.MoveFirst();
    });
    vb::ResumeNext([&] { rs.Fields(QStringLiteral("Grupo")).setValue(f.ValorCampo(Grupo)); });
    vb::ResumeNext([&] { rs.Fields(QStringLiteral("CLAVE")).setValue(f.ValorCampo(clave)); });
    vb::ResumeNext([&] { rs.Fields(QStringLiteral("VALOR")).setValue(f.ValorCampo(valor)); });
    vb::ResumeNext([&] { rs.Fields(QStringLiteral("PoliticaNegocio")).setValue(f.ValorCampo(PoliticaNegocio)); });
    if (!ValorAux.isEmpty())
        vb::ResumeNext([&] { rs.Fields(QStringLiteral("ValorAux")).setValue(vb::Trim(ValorAux)); });
    vb::ResumeNext([&] { rs.Update(); });
    vb::ResumeNext([&] { db.CierraRecordset(rs); });
}

short& gTimeOut()
{
    static short valor = 360;
    return valor;
}

QString& gUsuarioLogeado()
{
    static QString valor;
    return valor;
}

QString& gCaja()
{
    static QString valor;
    return valor;
}

bool& gUsaFechaOperacion()
{
    static bool valor = false;
    return valor;
}

QString& gFormatoEtiquetaBalanza()
{
    static QString valor;
    return valor;
}

QString& gDecimalesBalanza()
{
    static QString valor;
    return valor;
}

short& gUsaPrefijoA()
{
    static short valor = 0;
    return valor;
}

short& gUsaPrefijoA2()
{
    static short valor = 0;
    return valor;
}

short& gControlaUnidadNegocio()
{
    static short valor = 0;
    return valor;
}

QString& gUnidadNegocio()
{
    static QString valor;
    return valor;
}

vb::Date FechaServidor()
{
    QString sql = QStringLiteral("select getDate() as fecha");
    ado::Recordset rs;
    std::optional<vb::Date> servidor;
    vb::ResumeNext([&] {
        gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdUnspecified,
                             true);
    });
    vb::ResumeNext([&] {
        if (!rs.Eof())
            servidor = vb::Date::fromDateTime(rs.Fields(QStringLiteral("fecha")).Value().toDate().toDateTime());
    });
    vb::ResumeNext([&] { gDB().CierraRecordset(rs); });
    // A statement that could not run at all also falls back, rather than giving the zero date.
    return servidor ? *servidor : fechaLocal();
}

QString NombreServidor(const QString& Servidor)
{
    QString nombre = Servidor;
    if (const int barra = nombre.indexOf(QLatin1Char('/')); barra >= 0)
        nombre = nombre.mid(barra + 1);
    if (const int puerto = nombre.indexOf(QLatin1Char(':')); puerto >= 0)
        nombre = nombre.left(puerto);
    return nombre;
}

void MenuExes(const QString& Ejecutable, const QString& ParametroAdicional, std::int64_t& IdProceso)
{
    IdProceso = 0;
    const QString comando = programaModulo(Ejecutable) + parametrosModulo(ParametroAdicional);
    vb::RunSteps({[&] {
                      IdProceso = iniciarModulo(comando);
                      return true;
                  },
                  [&] {
                      if (IdProceso == 0)
                          vb::MsgBox(
                              QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas"),
                              vb::vbCritical + vb::vbOKOnly, QStringLiteral("Atención"));
                      return true;
                  }},
                 [](const vb::Error& e) { return TratamientoErrores(e, std::nullopt, QStringLiteral("MenuExes")); });
}

bool ExisteArchivo(const QString& ruta)
{
    QString limpia = ruta;
    limpia.remove(QLatin1Char('"'));
    if (limpia.isEmpty() || QFileInfo(limpia).isDir())
        return false;
    QFile archivo(limpia);
    return archivo.open(QIODevice::ReadOnly);
}

bool CopiarArchivo(const QString& origen, const QString& destino)
{
    if (!ExisteArchivo(origen))
        return false;
    QString fuente = origen;
    fuente.remove(QLatin1Char('"'));
    QFile entrada(fuente);
    QFile salida(destino);
    if (!entrada.open(QIODevice::ReadOnly) || !salida.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // The remainder first, then whole pairs of half blocks; a 64-bit count copies any size.
    const qint64 largo = entrada.size();
    if (!copiarTramo(entrada, salida, largo % kBloque))
        return false;
    for (qint64 i = 0, bloques = 2 * (largo / kBloque); i < bloques; ++i)
        if (!copiarTramo(entrada, salida, kMitadBloque))
            return false;
    return salida.flush();
}

void AbrirArchivo(const QString& ruta, bool mostrar)
{
    QString destino = ruta;
    if (!destino.contains(QLatin1Char('"')) && destino.contains(QLatin1Char(' ')))
        destino = QLatin1Char('"') + destino + QLatin1Char('"');
    gEntorno().AbrirDocumento(0, QString(), destino, QString(), QString(), mostrar ? 6 : 0);
}

QString PalabraRespuesta(int respuesta)
{
    switch (respuesta) {
    case vb::vbRetry:
        return QStringLiteral("Reintentar");
    case vb::vbIgnore:
        return QStringLiteral("Ignorar");
    case vb::vbAbort:
        return QStringLiteral("Abortar");
    case vb::vbCancel:
        return QStringLiteral("Cancelar");
    case vb::vbYes:
        return QStringLiteral("Sí");
    case vb::vbNo:
        return QStringLiteral("No");
    default:
        return QString();
    }
}

QString MensajeError(long numero, const QString& descripcion)
{
    return QStringLiteral("Ha ocurrido el Siguiente Error (%1) %2").arg(numero).arg(vb::Trim(descripcion));
}

QString LineaLog(const QString& parteRutina, const QString& mensaje, const QString& palabra)
{
    return QDateTime::currentDateTime().toString(QStringLiteral("MM-dd-yyyy HH:mm:ss")) + QStringLiteral(" Rutina: ") +
           vb::Trim(parteRutina) + QStringLiteral(" Mensaje ") + vb::Trim(mensaje) + QStringLiteral(" Respondió : ") +
           palabra + QStringLiteral("\r\n");
}

QString CarpetaTemporalLog()
{
    QString carpeta = vb::Trim(vb::Environ(QStringLiteral("TEMP")));
    if (carpeta.isEmpty())
        carpeta = gEntorno().CarpetaTemporal();
    return gFunciones().AgregarBarra(carpeta);
}

int TratamientoErrores(const vb::Error& error, std::optional<int> botones, const QString& rutina)
{
    const long numero = error.Number();
    const QString mensaje = MensajeError(numero, error.Description());
    const QString parteRutina = rutina.isEmpty() ? QString() : QStringLiteral(" - ") + rutina;
    const QString titulo = error.Source() + parteRutina + QStringLiteral(" Aviso al operador!!! - 2 ");

    QFile log;
    vb::ResumeNext([&] {
        log.setFileName(CarpetaTemporalLog() + QStringLiteral("MQERR.LOG"));
        log.open(QIODevice::Append);
    });
    if (numero == 0)
        return 0;

    const int respuesta = vb::MsgBox(mensaje, botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical), titulo);
    if (log.isOpen())
        log.write(vb::toAnsi(LineaLog(parteRutina, mensaje, PalabraRespuesta(respuesta))));
    return respuesta;
}

} // namespace ModGlobal
