#include "global/ModGlobal.h"

#include "database/DB_Dll.h"
#include "global/ast.h"
#include "platform/dorvik/ClsEspera.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Process.h"
#include "platform/vb/Strings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <cmath>
#include <memory>

namespace ModGlobal {
namespace {

constexpr qint64 kMitadBloque = 16384;
constexpr qint64 kBloque = 2 * kMitadBloque;

bool copiarTramo(QFile& origen, QFileDevice& destino, qint64 largo)
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
           QStringLiteral("; @usuario=") + db.gUsuario + QStringLiteral("; @Password=") + db.gUserPassWord +
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

const QString kEstadisticas = QStringLiteral("MQ_ESTADISTICAS");
const QString kClaveEstadisticas = QStringLiteral("QK_ZEFTORAMILDA");
const QString kCRLF = QStringLiteral("\r\n");
constexpr long kErrorSentencia = -2147217900; // 0x80040E14: the provider's statement error
constexpr long kObjetoCerrado = 3704;

const char* const kRolesServidor[] = {"', sysadmin",     "', securityadmin", "', serveradmin", "',  setupadmin",
                                      "', processadmin", "', diskadmin",     "', dbcreator"};
const char* const kRolesBase[] = {"db_accessadmin", "db_backupoperator", "db_datareader",   "db_datawriter",
                                  "db_ddladmin",    "db_owner",          "db_securityadmin"};
const char* const kRolesOracle[] = {"DBA",
                                    "CTXAPP",
                                    "WKUSER",
                                    "\"CONNECT\"",
                                    "OLAP_DBA",
                                    "\"RESOURCE\"",
                                    "XDBADMIN",
                                    "EJBCLIENT",
                                    "MGMT_USER",
                                    "OLAP_USER",
                                    "JAVAIDPRIV",
                                    "JAVA_ADMIN",
                                    "DMUSER_ROLE",
                                    "JAVASYSPRIV",
                                    "JAVA_DEPLOY",
                                    "OEM_MONITOR",
                                    "AQ_USER_ROLE",
                                    "JAVAUSERPRIV",
                                    "HS_ADMIN_ROLE",
                                    "JAVADEBUGPRIV",
                                    "WM_ADMIN_ROLE",
                                    "DM_CATALOG_ROLE",
                                    "SCHEDULER_ADMIN",
                                    "AUTHENTICATEDUSER",
                                    "EXP_FULL_DATABASE",
                                    "IMP_FULL_DATABASE",
                                    "DELETE_CATALOG_ROLE",
                                    "SELECT_CATALOG_ROLE",
                                    "EXECUTE_CATALOG_ROLE",
                                    "AQ_ADMINISTRATOR_ROLE",
                                    "LOGSTDBY_ADMINISTRATOR",
                                    "RECOVERY_CATALOG_OWNER",
                                    "GATHER_SYSTEM_STATISTICS"};
const char* const kObjetosOracle[] = {"CTXSYS.CTX_VALIDATE",
                                      "CTXSYS.DRI_MOVE_CTXSYS",
                                      "EXFSYS.EXF$CHECK_PRIVILEGE",
                                      "EXFSYS.EXF$EXPCORRCHKOCI",
                                      "EXFSYS.EXF$EXPFUNCLISTCHK",
                                      "EXFSYS.EXF$XPDUMPTAGSINFO",
                                      "EXFSYS.GETDUMMYTAGS",
                                      "EXFSYS.GETTAGSARROCI",
                                      "WKSYS.MOVE_WK",
                                      "OUTLN.ORA$GRANT_SYS_SELECT",
                                      "SYSTEM.ORA$_SYS_REP_AUTH",
                                      "WMSYS.OWM_VALIDATE",
                                      "SYSMAN.SETEMUSERCONTEXT",
                                      "SYSMAN.SETEMVIEWUSERCONTEXT",
                                      "XDB.SETMODFLG",
                                      "ORDSYS.SI_APPENDCLRHSTGR",
                                      "ORDSYS.SI_CHGCONTENT",
                                      "ORDSYS.SI_CONVERTFORMAT",
                                      "ORDSYS.SI_SETAVGCLRFTR",
                                      "ORDSYS.SI_SETCLRHSTGRFTR",
                                      "ORDSYS.SI_SETPSTNLCLRFTR",
                                      "ORDSYS.SI_SETTEXTUREFTR",
                                      "CTXSYS.SYNCRN",
                                      "WKSYS.UPDATE_ACL_CACHE_SIZE",
                                      "DMSYS.VALIDATE_ODM",
                                      "ORDSYS.VALIDATE_ORDIM",
                                      "ORDSYS.VALIDATE_ORDIM_WITH_DETAILS",
                                      "MDSYS.VALIDATE_SDO",
                                      "WKSYS.WK$POST_OPTIMIZE_INDEX",
                                      "WKSYS.WK$PRE_OPTIMIZE_INDEX",
                                      "WKSYS.WK$UPD_INST",
                                      "XDB.XDB$INITXDBSCHEMA",
                                      "XDB.XDB$PATCHUPDELETESCHEMA",
                                      "XDB.XDB$PATCHUPSCHEMA",
                                      "XDB.XDB_DATASTORE_PROC"};

// Runs one statement on the connection; its failure stays in the connection's error list.
void ejecutarEn(DB_Dll& db, const QString& sentencia)
{
    QString texto = sentencia;
    long afectados = 0;
    db.EjecutaConsultaSQL(texto, afectados);
}

QString sentenciaOracle(const QString& usuario, const QString& clave)
{
    QStringList lineas{QStringLiteral("CREATE USER ") + usuario + QStringLiteral(" IDENTIFIED BY \"") +
                           QString(clave).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QStringLiteral("\""),
                       QStringLiteral(" DEFAULT TABLESPACE USERS"), QStringLiteral(" TEMPORARY TABLESPACE TEMP"),
                       QStringLiteral(" PROFILE Default"), QStringLiteral(" ACCOUNT UNLOCK")};
    for (const char* rol : kRolesOracle)
        lineas << QStringLiteral(" GRANT ") + QLatin1String(rol) + QStringLiteral(" TO ") + usuario +
                      QStringLiteral(" WITH ADMIN OPTION");
    lineas << QStringLiteral(" ALTER USER ") + usuario + QStringLiteral(" DEFAULT ROLE DBA,\"CONNECT\"");
    lineas << QStringLiteral(" GRANT UNLIMITED TABLESPACE TO ") + usuario + QStringLiteral(" WITH ADMIN OPTION");
    for (const char* objeto : kObjetosOracle)
        lineas << QStringLiteral(" GRANT EXECUTE ON ") + QLatin1String(objeto) + QStringLiteral(" TO ") + usuario +
                      QStringLiteral(" WITH GRANT OPTION");
    return lineas.join(kCRLF);
}

// The lines of "CDB7.SQL"; the first three end in an extra CR, which the script runner reads as a blank line.
QByteArray scriptCreacion(const QString& base, const QString& usuario, const QString& clave)
{
    const QString login = comoLiteral(usuario);
    QStringList lineas{QStringLiteral("Create Database ") + base + QStringLiteral(" COLLATE Latin1_General_CI_AI \r"),
                       QStringLiteral("GO\r"), QStringLiteral("USE ") + base + QStringLiteral("\r"),
                       QStringLiteral("EXEC  sp_addlogin N'") + login + QStringLiteral("', '") + comoLiteral(clave) +
                           QStringLiteral("', '") + comoLiteral(base) + QStringLiteral("'")};
    for (const char* rol : kRolesServidor)
        lineas << QStringLiteral("EXEC sp_addsrvrolemember N'") + login + QLatin1String(rol);
    lineas << QStringLiteral("EXEC sp_grantdbaccess @loginame = '") + login + QStringLiteral("' , @name_in_db ='") +
                  login + QStringLiteral("'");
    for (const char* rol : kRolesBase)
        lineas << QStringLiteral("EXEC sp_addrolemember N'") + QLatin1String(rol) + QStringLiteral("', N'") + login +
                      QStringLiteral("'");
    return vb::toAnsi(lineas.join(kCRLF) + kCRLF);
}

void escribirScript(const QString& ruta, const QByteArray& contenido)
{
    // The script carries the new login's password, so it is readable by its owner only. Unbuffered, so that
    // a short write (a full disk) shows in the count; buffered, the last bytes fail unseen at the commit.
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !archivo.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        archivo.write(contenido) != contenido.size() || !archivo.commit())
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"));
}

void cerrarConexion(DB_Dll& db)
{
    if (db.gCnn->State() == ado::adStateOpen)
        db.gCnn->Close();
}

// Scale labels: where the article code sits in the label's body and what the label's value means.
enum class CantidadEtiqueta { Signo, SignoPorValor, SinCambio };
struct FormatoEtiqueta {
    const char* patron;
    int desplazamiento;
    int largo;
    CantidadEtiqueta cantidad;
    bool importe;
};
constexpr FormatoEtiqueta kFormatosEtiqueta[] = {
    {"CCCC0TTTTTT", 0, 4, CantidadEtiqueta::Signo, false},
    {"CCCCCTTTTTT", 0, 5, CantidadEtiqueta::Signo, false},
    {"CCCCC0PPPPP", 0, 5, CantidadEtiqueta::SinCambio, false},
    {"CCCCC0QQQQQ", 0, 5, CantidadEtiqueta::SinCambio, false},
    {"CCCCCCPPPPP", 0, 6, CantidadEtiqueta::SignoPorValor, false},
    {"CCCCCTTTTT", 1, 5, CantidadEtiqueta::Signo, true},
    {"CCCCTTTTT", 2, 4, CantidadEtiqueta::Signo, true},
    {"CCCCCCQQQQQ", 0, 6, CantidadEtiqueta::SignoPorValor, false},
    {"00CCCCPPPPP", 2, 4, CantidadEtiqueta::SignoPorValor, false},
    {"00CCCCQQQQQ", 2, 4, CantidadEtiqueta::SignoPorValor, false},
    {"0CCCCCPPPPP", 1, 5, CantidadEtiqueta::SignoPorValor, false},
    {"0CCCCCQQQQQ", 1, 5, CantidadEtiqueta::SignoPorValor, false},
};

bool esNumerico(const QString& texto)
{
    const QString limpio = texto.trimmed();
    bool ok = false;
    if (!limpio.isEmpty())
        QLocale().toDouble(limpio, &ok);
    if (!ok && !limpio.isEmpty())
        QLocale::c().toDouble(limpio, &ok);
    return ok;
}

bool programaEs(std::initializer_list<const char*> nombres)
{
    for (const char* nombre : nombres)
        if (vb::App::EXEName().compare(QLatin1String(nombre), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool mantenimientoArticulos()
{
    return programaEs({"v_ma_articulos", "v_ma_articulos2"});
}

// The divisor of a label's value from the scale's decimals; 0 when the decimals are none of 0 to 4.
double divisorBalanza()
{
    const double decimales = gFunciones().TextoANumero(gDecimalesBalanza()).toDouble();
    for (int n = 0; n <= 4; ++n)
        if (decimales == n)
            return std::pow(10.0, n);
    return 0;
}

// "3*code": the quantity before the first "*", when it is not 0.
void prefijoCantidad(QString& codigo, double& cantidad)
{
    if (!codigo.contains(QLatin1Char('*')) || codigo.size() < 3 || mantenimientoArticulos())
        return;
    const int asterisco = static_cast<int>(codigo.indexOf(QLatin1Char('*')));
    cantidad = gFunciones().TextoANumero(codigo.left(asterisco)).toDouble();
    if (cantidad != 0)
        codigo = vb::Trim(codigo.mid(asterisco + 1));
}

// "12A3456": a numeric prefix split off at the first "A".
void prefijoA(QString& codigo, QString& prefijo)
{
    if ((gUsaPrefijoA() == 0 && gUsaPrefijoA2() == 0) || codigo.size() < 3)
        return;
    const qsizetype p = codigo.indexOf(QLatin1Char('A'), 0, Qt::CaseInsensitive);
    if (p < 0 || mantenimientoArticulos())
        return;
    const QString antes = codigo.left(p);
    const QString despues = codigo.mid(p + 1);
    if (esNumerico(antes) && esNumerico(despues)) {
        prefijo = vb::Trim(antes);
        codigo = vb::Trim(despues);
    } else if (p == 0 && esNumerico(despues)) {
        prefijo.clear();
        codigo = vb::Trim(despues);
    }
}

// An in-store scale label: the article code and the weight, quantity or amount it carries.
void etiquetaBalanza(QString& codigo, double& cantidad, vb::Currency& importe, double divisor)
{
    const bool trece = codigo.size() == 13 && codigo.startsWith(QLatin1Char('2')) && esNumerico(codigo);
    const bool catorce = codigo.size() == 14 && codigo.startsWith(QLatin1String("-2")) && esNumerico(codigo);
    if (!trece && !catorce)
        return;
    const int s = trece ? 2 : 3;
    const double signo = trece ? 1 : -1;
    const auto valor = [&] {
        if (divisor == 0)
            throw vb::Error(11, QStringLiteral("División por cero"));
        return gFunciones().TextoANumero(vb::Mid(codigo, s + 6, 5)).toDouble() / divisor;
    };
    for (const FormatoEtiqueta& f : kFormatosEtiqueta) {
        if (gFormatoEtiquetaBalanza().compare(QLatin1String(f.patron), Qt::CaseInsensitive) != 0)
            continue;
        const QString nuevo = vb::Mid(codigo, s + f.desplazamiento, f.largo);
        if (f.cantidad == CantidadEtiqueta::Signo)
            cantidad = signo;
        else if (f.cantidad == CantidadEtiqueta::SignoPorValor)
            cantidad = signo * valor();
        if (f.importe)
            importe = vb::Currency::fromDouble(valor());
        codigo = nuevo;
        return;
    }
}

QStringList consultasArticulo(bool porCodigoBarra)
{
    const QString porId = QStringLiteral("SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE IDARTICULO = '");
    QStringList consultas{
        porCodigoBarra ? QStringLiteral("SELECT *,IDUNIDAD AS UDBASE FROM V_MA_ARTICULOS WHERE codigobarra =  '")
                       : porId,
        QStringLiteral("SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE codigobarra =  '"),
        QStringLiteral("SELECT *,IDUNIDAD AS UDBASE , ISNULL(UD_TTE,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE "
                       "CODIGOBARRADUN = '")};
    for (int n = 1; n <= 4; ++n)
        consultas << QStringLiteral("SELECT *,IDUNIDAD AS UDBASE , ISNULL(UMCB%1,IDUNIDAD) AS IDUNIDAD FROM "
                                    "V_MA_ARTICULOS WHERE CODIGOBARRA%1 = '")
                         .arg(n);
    return consultas << porId;
}

// One article search: every statement under the routine's error handler (4 repeats it, 5 goes on, any other
// answer ends the search with what was found so far), on the caller's record set.
class BusquedaArticulo {
public:
    BusquedaArticulo(QString& codigo, ado::Recordset& rs, bool soloLectura, QString& unidadBase)
        : m_codigo(codigo), m_rs(rs), m_unidadBase(unidadBase),
          m_cursor(soloLectura ? ado::adOpenForwardOnly : ado::adOpenDynamic),
          m_bloqueo(soloLectura ? ado::adLockReadOnly : ado::adLockOptimistic)
    {}

    bool encontrado() const { return m_encontrado; }

    void paso(const std::function<void()>& sentencia)
    {
        if (!m_salir &&
            vb::RunStatement(sentencia, [](const vb::Error& e) { return TratamientoErrores(e); }) == vb::Flow::Leave)
            m_salir = true;
    }

    // Barcode, id, box barcode, the four alternative barcodes and the id again; the first row found ends it.
    void buscarEnArticulos(bool porCodigoBarra)
    {
        for (const QString& consulta : consultasArticulo(porCodigoBarra)) {
            if (m_salir)
                return;
            abrir(consulta + c25() + QStringLiteral("'"));
            if (conFila()) {
                m_encontrado = true;
                tomarId();
                return;
            }
        }
    }

    // The supplier's code: through the supplier price list when one is given, else in the article view.
    void buscarPorProveedor(const QString& cuentaProveedor, const QString& idLista)
    {
        if (m_encontrado || m_salir || cuentaProveedor.isEmpty())
            return;
        const QString cuenta =
            QStringLiteral("' and CuentaProveedor = '") + comoLiteral(cuentaProveedor) + QStringLiteral("'");
        const QString porProveedor =
            QStringLiteral("SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE CodigoArtProveedor = '");
        bool enLista = false;
        if (!idLista.isEmpty()) {
            abrir(QStringLiteral("SELECT IDARTICULO,IDARTICULOPROVEEDOR,idunidad as UdBase FROM V_MA_PRECIOS WHERE "
                                 "IDARTICULOPROVEEDOR = '") +
                  c25() + QStringLiteral("' and IDLISTA = '") + comoLiteral(gFunciones().AlinearDerecha(idLista, 4)) +
                  QStringLiteral("' AND TIPOLISTA = 'C'"));
            enLista = conFila();
            if (enLista) {
                tomarId();
                abrir(QStringLiteral("SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE idarticulo = '") + c25() +
                      QStringLiteral("'"));
            }
        }
        if (!enLista)
            abrir(porProveedor + c25() + cuenta);
        if (conFila()) {
            m_encontrado = true;
            tomarId();
        } else if (m_codigo.contains(QLatin1Char('.'))) {
            abrir(porProveedor + comoLiteral(vb::Trim(m_codigo)) + cuenta);
            m_encontrado = conFila();
            if (m_encontrado)
                m_codigo = vb::Trim(m_codigo);
        }
    }

    // The sales modules refuse (or mark) an article of another business unit than the selected one.
    void controlarUnidadNegocio(const QString& tipoComprobante, short& estado)
    {
        const QString tipo = tipoComprobante.toUpper();
        if (!m_encontrado || gControlaUnidadNegocio() == 0 || tipo == QLatin1String("FP") ||
            tipo == QLatin1String("NCFP") || tipo == QLatin1String("NP") ||
            !programaEs({"V_MV_VENTAS", "FS_V_MV_VENTAS", "FS_V_MV_VENTASH", "V_FACTURACIONREMITOSPENDIENTES"}))
            return;
        // A Null business unit compares as unknown, which is no mismatch.
        const vb::Variant unidad = m_rs.Fields(QStringLiteral("IdTipo")).Value();
        if (unidad.isNull() || unidad.toString().compare(gUnidadNegocio(), Qt::CaseInsensitive) == 0)
            return;
        if (estado == 0) {
            vb::MsgBox(QStringLiteral("Este articulo pertenece a una unidad de negocio distinta a la seleccionada"),
                       vb::vbOKOnly);
            m_encontrado = false;
        } else if (estado == 1) {
            estado = 2;
        }
    }

private:
    // Codes are stored right-aligned in 25 characters; every value keeps its apostrophes inside the text.
    QString c25() const { return comoLiteral(gFunciones().AlinearDerecha(m_codigo, 25)); }

    // The opening step of every statement: a row found gives its base unit.
    void abrir(QString sql)
    {
        paso([&] { gDB().AbrirRecordset(sql, m_rs, nullptr, m_cursor, m_bloqueo, ado::adCmdUnspecified, true); });
        paso([&] {
            if (!m_rs.Bof())
                m_unidadBase = textoCampo(m_rs, QStringLiteral("UdBase"));
        });
    }

    bool conFila()
    {
        bool fila = false;
        paso([&] { fila = !m_rs.Bof(); });
        return fila;
    }

    void tomarId()
    {
        paso([&] { m_codigo = m_rs.Fields(QStringLiteral("IdArticulo")).Value().toString(); });
    }

    QString& m_codigo;
    ado::Recordset& m_rs;
    QString& m_unidadBase;
    const long m_cursor;
    const long m_bloqueo;
    bool m_encontrado = false;
    bool m_salir = false;
};

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
        if (!rs.Eof()) {
            const vb::Date leida = rs.Fields(QStringLiteral("fecha")).Value().toDate();
            servidor = vb::Date::fromDateAndSeconds(leida.date(), leida.time().msecsSinceStartOfDay() / 1000);
        }
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
                      IdProceso = vb::Shell(comando, vb::vbNormalFocus);
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

void ConectarEstadisticas()
{
    DB_Dll& estadisticas = gDBEstadisticas();
    gTimeOut() = 360;
    vb::ResumeNext([&] { cerrarConexion(estadisticas); });
    vb::ResumeNext([&] { CrearUsuario(kEstadisticas, kEstadisticas, kClaveEstadisticas); });
    estadisticas.gProveedor = estadisticas.pSQLOLEDB();
    estadisticas.gServidor = gDB().gServidor;
    estadisticas.gDBName = kEstadisticas;
    estadisticas.gUsuario = kEstadisticas;
    estadisticas.gUserPassWord = kClaveEstadisticas;
    vb::ResumeNext([&] { estadisticas.OpenServerADODB(false, ado::adUseClient, QString(), true, false); });
    if (estadisticas.gOpenFlag) {
        vb::ResumeNext([&] { estadisticas.gCnn->setDefaultDatabase(kEstadisticas); });
        vb::ResumeNext([&] {
            const double valor = gFunciones().TextoANumero(CfgMQ(QStringLiteral("TimeOut"))).toDouble();
            const double redondeado = std::nearbyint(valor);
            if (redondeado < -32768 || redondeado > 32767)
                throw vb::Error(6, QStringLiteral("Desbordamiento"));
            gTimeOut() = static_cast<short>(redondeado);
        });
        if (gTimeOut() == 0)
            GrabaCfgMQ(QStringLiteral("TimeOut"), 0, QString(), false, QStringLiteral("BaseDeDatos"), true);
    }
    if (gTimeOut() == 0)
        gTimeOut() = 360;
}

void CrearUsuario(const QString& BaseDeDatos, const QString& Usuario, const QString& Password, DB_Dll* Conexion)
{
    // The statements and their dialect follow the connection they run on.
    DB_Dll& db = Conexion ? *Conexion : gDB();
    const QString login = comoLiteral(Usuario);
    const auto manejador = [](const vb::Error& e) {
        return e.Number() == kErrorSentencia ? vb::kContinue : TratamientoErrores(e);
    };
    if (vb::InStr(db.gProveedor, QStringLiteral("ORACLE"), vb::Compare::Text) > 0) {
        vb::RunStatement([&] { ejecutarEn(db, sentenciaOracle(Usuario, Password)); }, manejador);
        return;
    }
    vb::RunSteps({[&] {
                      ejecutarEn(db, QStringLiteral("EXEC  sp_addlogin N'") + login + QStringLiteral("', '") +
                                         comoLiteral(Password) + QStringLiteral("', '") + comoLiteral(BaseDeDatos) +
                                         QStringLiteral("','Spanish'"));
                      return true;
                  },
                  [&] {
                      ado::Errors& errores = db.gCnn->Errors();
                      if (errores.Count() == 0)
                          return true;
                      const ado::Error primero = errores(0);
                      if (primero.NativeError() == 15116)
                          vb::MsgBox(primero.Description() + kCRLF +
                                     QStringLiteral("Debe cambiar la contraseña del Usuario ") + Usuario +
                                     QStringLiteral(" para que cumpla con las directivas de Windows."));
                      else if (primero.NativeError() == 15010)
                          CrearBaseDeDatos(db.gServidor, Usuario, Password, BaseDeDatos);
                      return primero.NativeError() != 15025;
                  },
                  [&] {
                      QString lote;
                      for (const char* rol : kRolesServidor)
                          lote += QStringLiteral(" EXEC sp_addsrvrolemember N'") + login + QLatin1String(rol);
                      ejecutarEn(db, lote);
                      return true;
                  },
                  [&] {
                      ejecutarEn(db, QStringLiteral(" EXEC sp_grantdbaccess @loginame = '") + login +
                                         QStringLiteral("' , @name_in_db ='") + login + QStringLiteral("'"));
                      return true;
                  },
                  [&] {
                      QString lote;
                      for (const char* rol : kRolesBase)
                          lote += QStringLiteral(" EXEC sp_addrolemember N'") + QLatin1String(rol) +
                                  QStringLiteral("', N'") + login + QStringLiteral("'");
                      ejecutarEn(db, lote);
                      return true;
                  }},
                 manejador);
}

bool CrearBaseDeDatos(const QString& Servidor, const QString& Usuario, const QString& Password,
                      const QString& BaseDeDatos)
{
    const QString completo = gFunciones().AgregarBarra(vb::App::Path()) + QStringLiteral("completomqe.sql");
    if (!ExisteArchivo(completo)) {
        vb::MsgBox(QStringLiteral("No se encuentra el archivo ") + completo +
                   QStringLiteral(", Por favor, ingrese la ruta donde se encuentra! "));
        return false;
    }
    const QString base = vb::Trim(BaseDeDatos);
    DB_Dll& principal = gDB();
    DB_Dll& estadisticas = gDBEstadisticas();
    bool permitido = false;
    bool abierta = false;
    // The script's "USE" moves the main connection to the new database; it goes back to its own afterwards.
    const QString basePrincipal = principal.gDBName;
    struct VolverABase {
        DB_Dll& db;
        QString nombre;
        ~VolverABase()
        {
            if (!vb::Trim(nombre).isEmpty())
                vb::ResumeNext([&] { db.gCnn->setDefaultDatabase(nombre); });
        }
    } volver{principal, basePrincipal};
    const vb::Flow flujo = vb::RunSteps(
        {[&] {
             const QString cdb7 = CarpetaTemporalLog() + QStringLiteral("CDB7.SQL");
             escribirScript(cdb7, scriptCreacion(base, Usuario, Password));
             ast::Ejecutar(cdb7, nullptr, QString(), permitido, false);
             return true;
         },
         [&] {
             cerrarConexion(estadisticas);
             estadisticas.gOpenFlag = false;
             estadisticas.gUsuario = Usuario;
             estadisticas.gDBName = base;
             estadisticas.gUserPassWord = Password;
             estadisticas.gServidor = NombreServidor(Servidor);
             estadisticas.OpenServerADODB(false, ado::adUseClient, QString(), false, true);
             abierta = estadisticas.gOpenFlag;
             return abierta;
         },
         [&] { return estadisticas.gCnn->setDefaultDatabase(base), true; },
         [&] { return ast::Ejecutar(completo, nullptr, QString(), permitido, false), true; }},
        [](const vb::Error& e) { return e.Number() == kObjetoCerrado ? vb::kContinue : TratamientoErrores(e); });
    return flujo == vb::Flow::Next && abierta;
}

bool BuscarArticulo(QString& Codigo, ado::Recordset& RsArticulo, bool SoloLectura, bool& PorCodigoBarra,
                    QString& Descripcion, const QString& CuentaProveedor, QString& UnidadBase, const QString& IdLista,
                    double& Cantidad, vb::Currency& Importe, QString& Prefijo, const QString& TipoComprobante,
                    short& EstadoUnidadNegocio)
{
    BusquedaArticulo busqueda(Codigo, RsArticulo, SoloLectura, UnidadBase);
    double divisor = 0;
    busqueda.paso([&] {
        divisor = divisorBalanza();
        UnidadBase.clear();
    });
    busqueda.paso([&] {
        if (Codigo.size() <= 3)
            PorCodigoBarra = false;
    });
    busqueda.paso([&] { prefijoCantidad(Codigo, Cantidad); });
    busqueda.paso([&] { prefijoA(Codigo, Prefijo); });
    busqueda.paso([&] { etiquetaBalanza(Codigo, Cantidad, Importe, divisor); });
    busqueda.buscarEnArticulos(PorCodigoBarra);
    busqueda.buscarPorProveedor(vb::Trim(CuentaProveedor), vb::Trim(IdLista));
    busqueda.paso([&] {
        if (!RsArticulo.Bof())
            Descripcion = RsArticulo.Fields(QStringLiteral("Descripcion")).Value().toString();
    });
    busqueda.paso([&] { busqueda.controlarUnidadNegocio(TipoComprobante, EstadoUnidadNegocio); });
    return busqueda.encontrado();
}

bool CopiarArchivo(const QString& origen, const QString& destino)
{
    if (!ExisteArchivo(origen))
        return false;
    QString fuente = origen;
    fuente.remove(QLatin1Char('"'));
    // Emptying the destination would empty the source itself: a file copied onto itself is already whole.
    const QString mismo = QFileInfo(fuente).canonicalFilePath();
    if (!mismo.isEmpty() && mismo == QFileInfo(destino).canonicalFilePath())
        return true;
    QFile entrada(fuente);
    // The copy is written to a temporary file beside the destination, which takes the destination's
    // permissions and replaces it only once whole: a full disk leaves the old file as it was. Unbuffered,
    // so that every short write shows in its count (a buffered tail fails unseen at the commit).
    QSaveFile salida(destino);
    if (!entrada.open(QIODevice::ReadOnly) || !salida.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // The remainder first, then whole pairs of half blocks; a 64-bit count copies any size.
    const qint64 largo = entrada.size();
    bool entero = copiarTramo(entrada, salida, largo % kBloque);
    for (qint64 i = 0, bloques = 2 * (largo / kBloque); entero && i < bloques; ++i)
        entero = copiarTramo(entrada, salida, kMitadBloque);
    if (!entero) {
        salida.cancelWriting();
        return false;
    }
    return salida.commit();
}

void AbrirArchivo(const QString& ruta, bool mostrar)
{
    QString destino = ruta;
    if (!destino.contains(QLatin1Char('"')) && destino.contains(QLatin1Char(' ')))
        destino = QLatin1Char('"') + destino + QLatin1Char('"');
    gEntorno().AbrirDocumento(0, QString(), destino, QString(), QString(), mostrar ? 6 : 0);
}

} // namespace ModGlobal
