#include "database/DB_Dll.h"

#include "database/OracleDialect.h"
#include "database/ReporteErrores.h"
#include "database/frmAcceso.h"
#include "platform/ado/DataTypes.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

using vb::Compare;

constexpr long kFalloGeneral = -2147467259; // 0x80004005: the provider's general and communication failure
constexpr long kNoUsable = 3709;            // the connection cannot be used
constexpr long kObjetoCerrado = 3704;
constexpr long kObjetoAbierto = 3705;
constexpr long kNoPermitido = 3219;
constexpr long kTruncado = 8152;       // SQL Server: data would be truncated
constexpr long kSinResultado = 265929; // 0x40EC9: the provider's "no result" notice
constexpr int kSiNoCritico = vb::vbYesNo + vb::vbCritical;
const QString kAdmin = QStringLiteral("@Admin_");
const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

bool contiene(const QString& texto, const QString& que)
{
    return vb::InStr(texto, que, Compare::Text) > 0;
}

QString sinAdmin(const QString& sentencia)
{
    return vb::Replace(sentencia, kAdmin, QString(), Compare::Text);
}

// The contexts in which a restricted name is rewritten: the characters before and after it stay.
QString reemplazarNombre(QString s, const QString& nombre, const QString& vista, bool conLlave = false)
{
    const std::array<std::pair<const char*, const char*>, 6> contextos{
        {{" ", " "}, {"(", " "}, {" ", "."}, {"(", "."}, {",", "."}, {"{", "."}}};
    for (size_t i = 0; i < contextos.size() - (conLlave ? 0 : 1); ++i) {
        const QString antes = QLatin1String(contextos[i].first);
        const QString despues = QLatin1String(contextos[i].second);
        s = vb::Replace(s, antes + nombre + despues, antes + vista + despues, Compare::Text);
    }
    return s;
}

// A type code arrives as a number or as numeric text; anything else is no code.
std::optional<long> codigoTipo(const vb::Variant& tipo)
{
    double valor = 0;
    switch (tipo.type()) {
    case vb::Variant::Type::Long:
    case vb::Variant::Type::Double:
    case vb::Variant::Type::Currency:
    case vb::Variant::Type::Decimal:
        valor = tipo.toDouble();
        break;
    case vb::Variant::Type::String: {
        bool ok = false;
        valor = QLocale::c().toDouble(vb::Trim(tipo.toString()), &ok);
        if (!ok)
            return std::nullopt;
        break;
    }
    default:
        return std::nullopt;
    }
    if (valor != std::trunc(valor))
        return std::nullopt;
    return static_cast<long>(valor);
}

bool esTipo(const vb::Variant& tipo, std::initializer_list<long> codigos)
{
    const std::optional<long> codigo = codigoTipo(tipo);
    return codigo && std::find(codigos.begin(), codigos.end(), *codigo) != codigos.end();
}

[[noreturn]] void argumentoNoValido()
{
    throw vb::Error(5, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
}

// The leading number of a text, written with "." as decimal point and without exponent.
QString textoNumerico(const QString& valor)
{
    return QLocale::c().toString(vb::Val(valor), 'f', QLocale::FloatingPointShortest);
}

// A text value between apostrophes, its own apostrophes doubled so that it stays one literal.
QString comillas(const QString& texto)
{
    return QLatin1Char('\'') + QString(texto).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// The number of a field's value: numbers as they are (their text would carry the locale's decimal comma),
// anything else by its leading number.
double numeroDe(const vb::Variant& valor)
{
    switch (valor.type()) {
    case vb::Variant::Type::Long:
    case vb::Variant::Type::Double:
    case vb::Variant::Type::Currency:
    case vb::Variant::Type::Decimal:
        return valor.toDouble();
    default:
        return vb::Val(valor.toString());
    }
}

// Whether a condition carries its own WHERE: one outside parentheses and quoted text, so that the WHERE
// of a subquery does not count.
bool tieneWhere(const QString& condicion)
{
    static const QString where = QStringLiteral(" WHERE ");
    int nivel = 0;
    bool enTexto = false;
    for (qsizetype i = 0; i < condicion.size(); ++i) {
        const QChar c = condicion[i];
        if (c == QLatin1Char('\''))
            enTexto = !enTexto;
        else if (!enTexto && c == QLatin1Char('('))
            ++nivel;
        else if (!enTexto && c == QLatin1Char(')'))
            --nivel;
        else if (!enTexto && nivel == 0 &&
                 QStringView(condicion).mid(i, where.size()).compare(where, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Whether a schema row holds `nombre` in `columna` (blanks trimmed, any case).
bool nombraA(ado::Recordset& filas, const QString& columna, const QString& nombre)
{
    for (; !filas.Eof(); filas.MoveNext()) {
        const vb::Variant valor = filas.Fields(columna).Value();
        if (!valor.isNull() && vb::Trim(valor.toString()).compare(vb::Trim(nombre), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int reportarVerificacion(const vb::Error& e)
{
    return gDB().TratamientoErrores(e, std::nullopt, QStringLiteral("VerificaCampos"));
}

// A default value as written into a statement: numbers with "." as decimal point whatever the locale,
// Null as nothing, anything else as its text.
QString textoDeValor(const vb::Variant& valor)
{
    switch (valor.type()) {
    case vb::Variant::Type::Null:
        return QString();
    case vb::Variant::Type::Double:
    case vb::Variant::Type::Currency:
        return QLocale::c().toString(valor.toDouble(), 'f', QLocale::FloatingPointShortest);
    case vb::Variant::Type::Decimal:
        return valor.toDecimal().toString(QLatin1Char('.'));
    default:
        return valor.toString();
    }
}

int avisoDeConsulta(const vb::Error& e)
{
    return vb::MsgBox(e.Description(), vb::vbAbortRetryIgnore + vb::vbCritical, QStringLiteral("Aviso al Operador"));
}

bool esPrograma(std::initializer_list<const char*> nombres)
{
    for (const char* n : nombres)
        if (vb::App::EXEName().compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

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

QString DB_Dll::cadenaServidor() const
{
    if (contiene(gServidor, QStringLiteral("#")))
        return QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + gDBName + QStringLiteral(";User Id=") +
               gUsuario + QStringLiteral(";Password=") + gUserPassWord + QStringLiteral(";");
    return QStringLiteral("PROVIDER=") + pSQLOLEDB() + QStringLiteral(";") + QStringLiteral("Server=") + gServidor +
           QStringLiteral(";") + QStringLiteral("Database =") + gDBName + QStringLiteral(";") + QStringLiteral("UId=") +
           gUsuario + QStringLiteral(";") + QStringLiteral("Pwd=") + gUserPassWord + QStringLiteral(";") + gExtended;
}

void DB_Dll::pedirParametros()
{
    frmAcceso dialogo;
    dialogo.TxtDbName->setText(gDBName);
    dialogo.TxtServidor->setText(gServidor);
    dialogo.TxtUserId->setText(gUsuario);
    dialogo.TxtUserPassword->setText(gUserPassWord);
    dialogo.CboPlataformaDB->setCurrentIndex(0);
    dialogo.exec();
    if (!dialogo.Aceptar) {
        gOpenFlag = false;
        return;
    }
    gOpenFlag = true;
    gDBName = dialogo.TxtDbName->text();
    gServidor = dialogo.TxtServidor->text();
    gUsuario = dialogo.TxtUserId->text();
    gUserPassWord = dialogo.TxtUserPassword->text();
    if (dialogo.CboPlataformaDB->currentIndex() > 0) {
        gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
        if (!contiene(gServidor, QStringLiteral("#")))
            gServidor = QStringLiteral("#") + gServidor;
    } else {
        gProveedor = pSQLOLEDB();
    }
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin,
                             bool MuestraError)
{
    bool reintentado = false;
    gOpenFlag = true;
    if (gProveedor.isEmpty())
        gProveedor = pSQLOLEDB();
    gConnString = vb::Trim(ConnString).isEmpty() ? cadenaServidor() : ConnString;

    // 3705 (already open): close and run the failing step again, once per call.
    auto abiertoUnaVez = [&](const vb::Error& e) {
        if (e.Number() != kObjetoAbierto || reintentado)
            return false;
        reintentado = true;
        vb::ResumeNext([&] { gCnn->Close(); });
        return true;
    };
    auto manejador = [&](const vb::Error& e) -> int {
        if (!MuestraError) {
            if (abiertoUnaVez(e))
                return vb::kRepeat;
            gOpenFlag = false;
            return 0;
        }
        if (gCnn->Errors().Count() > 0) {
            const ado::Error& p = gCnn->Errors()(0);
            const DB_Dll& principal = gDB();
            const QString texto =
                QStringLiteral(" Estado de Sql: ") + p.SQLState() + CR + QStringLiteral("Numero de Error: ") +
                QString::number(p.Number()) + CR + QStringLiteral("Descripcion: ") + p.Description() + CR +
                QStringLiteral("Codigo Nativo: ") + QString::number(p.NativeError()) + CR + CRLF +
                QStringLiteral("Nombre de Proceso: ") + vb::App::EXEName() + CR + CRLF + CRLF +
                QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + CRLF +
                QStringLiteral("2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la "
                               "instancia, por ejemplo : ") +
                principal.gServidor + QStringLiteral("\\DORVIK") + CRLF +
                QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + principal.gUsuario +
                QStringLiteral(" existe") + CRLF + CRLF + CRLF + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
            if (vb::MsgBox(texto, kSiNoCritico, QStringLiteral(" Error de Conexion a Base de Datos")) != vb::vbYes) {
                gOpenFlag = false;
                return 0;
            }
            gCnn->Errors().Clear();
            pedirParametros();
            if (!gOpenFlag)
                return 0;
            gConnString = cadenaServidor();
            return vb::kRepeat;
        }
        if (abiertoUnaVez(e))
            return vb::kRepeat;
        vb::MsgBox(e.Description(), vb::vbOKOnly, QString());
        gOpenFlag = false;
        return 0;
    };
    vb::RunSteps({[&] {
                      if (!PideParametrosSQL)
                          return true;
                      pedirParametros();
                      if (!gOpenFlag)
                          return false;
                      gConnString = cadenaServidor();
                      return true;
                  },
                  [&] {
                      gCnn->setCursorLocation(lCursor);
                      gCnn->Open(gConnString, QString(), QString(), -1);
                      return true;
                  },
                  [&] {
                      if (ValidaAdmin)
                          return true;
                      gEsAdmin = true;
                      return false;
                  },
                  [&] {
                      if (vb::Trim(gDBName).isEmpty())
                          return false;
                      gCnn->setDefaultDatabase(gDBName);
                      return true;
                  },
                  [&] { return gDB().ExisteTablaDB(QStringLiteral("TA_USUARIOS")); },
                  [&] {
                      if (MuestraError)
                          return true;
                      gEsAdmin = true;
                      return false;
                  },
                  [&] {
                      const vb::Variant valor =
                          DatosTabla(QStringLiteral("ta_usuarios"), gUsuario, QStringLiteral("Administrador"),
                                     QStringLiteral("nombre"), 8, QString(), true, false);
                      gEsAdmin = vb::Val(valor.isNull() ? QString() : valor.toString()) == 1;
                      return true;
                  }},
                 manejador);
}

void DB_Dll::ReintentaConectar()
{
    vb::RunSteps({[&] {
                      gOpenFlag = false;
                      gCnn->setCommandTimeout(5);
                      return true;
                  },
                  [&] { return gCnn->Close(), true; },
                  [&] {
                      const DB_Dll& principal = gDB();
                      gCnn->Open(gCnn->ConnectionString(), principal.gUsuario, principal.gUserPassWord, -1);
                      return true;
                  },
                  [&] {
                      // Only an open connection counts as reconnected, also after an Ignore above.
                      gOpenFlag = gCnn->State() == ado::adStateOpen;
                      return true;
                  }},
                 [&](const vb::Error& e) {
                     if (e.Number() == kObjetoCerrado)
                         return vb::kContinue;
                     gOpenFlag = false;
                     if (e.Number() == kFalloGeneral)
                         return 0;
                     return TratamientoErrores(e, std::nullopt, QStringLiteral("AbrirRecordset"));
                 });
}

void DB_Dll::OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD)
{
    QString clave;
    bool claveGuardadaProbada = false;
    auto elegirArchivo = [&] {
        CmdDlg.setTituloDialogo(QStringLiteral("Buscar Base de Datos"));
        CmdDlg.setFiltroArchivos(QStringLiteral("Base de Datos de Microsoft Access |*.MDB"));
        CmdDlg.MostrarAbrir();
        gDBName = CmdDlg.NombreArchivo();
        return !CmdDlg.Cancelado();
    };
    for (;;) {
        if (vb::Trim(gDBName).isEmpty() && !elegirArchivo())
            return;
        const QString cadena =
            (!ConnString.isEmpty()
                 ? ConnString
                 : QStringLiteral("PROVIDER=") + gProveedor + QStringLiteral(";") + QStringLiteral("Data Source =") +
                       gDBName + QStringLiteral(";") + CadenaID + QStringLiteral("=") + gUsuario + QStringLiteral(";") +
                       CadenaPWD + QStringLiteral("=") + gUserPassWord + QStringLiteral(";") + gExtended) +
            clave;
        try {
            gCnn->Open(cadena, QString(), QString(), -1);
            gConnString = cadena;
            return;
        } catch (const vb::Error& e) {
            const QString estado = gCnn->Errors().Count() > 0 ? gCnn->Errors()(0).SQLState() : QString();
            if (estado == QLatin1String("3024") || estado == QLatin1String("3051") || estado == QLatin1String("3044")) {
                if (!elegirArchivo())
                    return;
                continue;
            }
            if (estado == QLatin1String("3031")) {
                // The stored password is tried once; after that the operator is asked, and a cancelled
                // question ends the attempt instead of trying the same password for ever.
                if (gIgnoraPassWord.toBool() && !claveGuardadaProbada) {
                    claveGuardadaProbada = true;
                    clave = QStringLiteral("Jet OLEDB:Database Password=") + gUserPassWord + QStringLiteral(";");
                    continue;
                }
                const QString respuesta =
                    vb::InputBox(QStringLiteral("ingrese el password:"), QStringLiteral("Password Access"));
                if (respuesta.isEmpty())
                    return;
                clave = QStringLiteral(" Jet OLEDB:Database Password=") + respuesta + QStringLiteral(";");
                continue;
            }
            vb::MsgBox(QString::number(e.Number()) + QStringLiteral("  ") + e.Description(), vb::vbCritical, QString());
            return;
        }
    }
}

std::optional<vb::Variant> DB_Dll::primerValor(const QString& sql, const QString& columna)
{
    ado::Recordset rs;
    rs.Open(sql, gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdUnspecified);
    if (rs.Bof())
        return std::nullopt;
    return m_funciones.ValorCampo(rs.Fields(columna).Value());
}

vb::Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo)
{
    QString sinCondicion;
    return BuscaMaximo(QueTabla, QueCampo, Tipo, sinCondicion);
}

vb::Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo,
                                QString& Condicion)
{
    // Articles whose codes begin with "0" are left out once; asking again after that could never end
    // when the column searched is not the code.
    bool preguntadoDeNuevo = false;
    for (;;) {
        QString sql = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
        if (!vb::Trim(Condicion).isEmpty())
            sql += QStringLiteral(" WHERE ") + vb::Trim(Condicion);
        const std::optional<vb::Variant> leido = primerValor(sql, QStringLiteral("MAYOR"));
        if (!leido)
            return vb::Variant();
        const vb::Variant& valor = *leido;
        const bool conCero = vb::Trim(valor.toString()).startsWith(QLatin1Char('0'));
        if (!preguntadoDeNuevo && conCero &&
            QueTabla.compare(QLatin1String("V_MA_ARTICULOS"), Qt::CaseInsensitive) == 0) {
            const QString sinCeros = QStringLiteral("substring(ltrim(idarticulo),1,1)<>'0'");
            Condicion = vb::Trim(Condicion).isEmpty() ? QStringLiteral(" ") + sinCeros
                                                      : Condicion + QStringLiteral(" and ") + sinCeros;
            preguntadoDeNuevo = true;
            continue;
        }
        return codigoTipo(Tipo) == 7 ? valor : vb::Variant(numeroDe(valor));
    }
}

vb::Variant DB_Dll::BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const vb::Variant&,
                                const QString& Condicion)
{
    QString sql = QStringLiteral("SELECT MIN(") + QueCampo + QStringLiteral(") AS MENOR FROM ") + QueTabla +
                  QStringLiteral("  with(nolock) ");
    if (!vb::Trim(Condicion).isEmpty())
        sql += QStringLiteral(" WHERE ") + vb::Trim(Condicion);
    const std::optional<vb::Variant> valor = primerValor(sql, QStringLiteral("MENOR"));
    return valor ? vb::Variant(numeroDe(*valor)) : vb::Variant();
}

vb::Variant DB_Dll::BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const vb::Variant&,
                                      const QString& Condicion)
{
    QString sql = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (!vb::Trim(Condicion).isEmpty())
        sql += QStringLiteral(" WHERE ") + Condicion;
    const std::optional<vb::Variant> valor = primerValor(sql, QStringLiteral("MAYOR"));
    return valor ? vb::Variant(numeroDe(*valor)) : vb::Variant();
}

bool DB_Dll::existeEn(const QString& sentencia, const std::shared_ptr<ado::Connection>& conexion, ado::Recordset* lrcs,
                      bool soloLectura, bool traducir)
{
    bool existe = false;
    ado::Recordset local;
    ado::Recordset& rs = lrcs ? *lrcs : local;
    vb::RunSteps({[&] {
                      if (lrcs && lrcs->State() != ado::adStateClosed)
                          lrcs->Close();
                      return true;
                  },
                  [&] {
                      if (!lrcs)
                          local.Open(traducir ? ORACLE_Dicc(sentencia) : sentencia, conexion, ado::adOpenForwardOnly,
                                     ado::adLockReadOnly, ado::adCmdUnspecified);
                      else if (soloLectura)
                          lrcs->Open(sentencia, conexion, ado::adOpenForwardOnly, ado::adLockReadOnly,
                                     ado::adCmdUnspecified);
                      else
                          lrcs->Open(sentencia, conexion, lrcs->CursorType(), lrcs->LockType(), ado::adCmdUnspecified);
                      return true;
                  },
                  [&] {
                      existe = !rs.Bof();
                      return true;
                  }},
                 avisoDeConsulta);
    return existe;
}

bool DB_Dll::ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                             ado::Recordset* Lrcs, const vb::Variant& Tipodato, const QString& Condicion,
                             bool SoloLectura)
{
    QString sql = QStringLiteral("SELECT * FROM ") + Tabla;
    if (!Condicion.isEmpty()) {
        sql += QStringLiteral(" with(nolock)  ") +
               (tieneWhere(Condicion) ? QStringLiteral(" ") : QStringLiteral(" WHERE ")) + Condicion;
    } else {
        sql += QStringLiteral(" with(nolock)   WHERE ") + Campo;
        const std::optional<long> tipo = codigoTipo(Tipodato);
        if (tipo == 8)
            sql += QStringLiteral(" =") + comillas(ValorBuscado);
        else if (tipo == 7)
            sql += QStringLiteral(" = ") + vb::Trim(ValorBuscado) + QStringLiteral(" ");
        else if (tipo == 3 || tipo == 4 || tipo == 5)
            sql += QStringLiteral(" = ") + textoNumerico(ValorBuscado);
        else
            sql += QStringLiteral(" = ") + ValorBuscado;
    }
    return existeEn(sql, gDB().gCnn, Lrcs, SoloLectura, false);
}

bool DB_Dll::ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                           ado::Recordset* Lrcs, const vb::Variant& Tipodato, const QString& Condicion,
                           bool SoloLectura)
{
    const std::optional<long> tipo = codigoTipo(Tipodato);
    QString sql;
    if (!Condicion.isEmpty()) {
        sql = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock) ") +
              (tieneWhere(Condicion) ? QStringLiteral(" ") : QStringLiteral(" WHERE ")) + Condicion;
    } else if (tipo == 8) {
        sql = QStringLiteral("SELECT TOP 1  * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE LTRIM(RTRIM(") +
              Campo + QStringLiteral(")) =") + comillas(vb::Trim(ValorBuscado));
    } else {
        sql = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ") + Campo +
              QStringLiteral(" = ");
        if (tipo == 7)
            sql += vb::Trim(ValorBuscado) + QStringLiteral(" ");
        else if (tipo == 3 || tipo == 4 || tipo == 5)
            sql += textoNumerico(ValorBuscado);
        else
            sql += ValorBuscado;
    }
    return existeEn(SS_TSinonimos(sql), gCnn, Lrcs, SoloLectura, true);
}

vb::Variant DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                               const QString& Campo, const vb::Variant& Tipodato, const QString& Condicion,
                               bool UsaTrim, bool IgnoraError)
{
    const QString a = vb::Trim(Condicion).isEmpty() ? QString() : QStringLiteral(" AND ");
    const QString inicio = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ");
    const std::optional<long> tipo = codigoTipo(Tipodato);
    QString sql;
    if (tipo == 8 && UsaTrim)
        sql = inicio + QStringLiteral("LTRIM(RTRIM(") + Campo + QStringLiteral(")) =") +
              comillas(vb::Trim(ValorBuscado)) + QStringLiteral(" ") + a + Condicion;
    else if (tipo == 8)
        sql = inicio + Campo + QStringLiteral(" =") + comillas(ValorBuscado) + QStringLiteral(" ") + a + Condicion;
    else if (tipo == 7)
        // Quoted, as every engine reads a date literal; the "#" form only Jet reads, and Jet does not
        // read "with(nolock)".
        sql = inicio + Campo + QStringLiteral(" = ") + comillas(vb::Trim(ValorBuscado)) + QStringLiteral(" ") + a +
              Condicion;
    else if (tipo == 3 || tipo == 4 || tipo == 5)
        sql = inicio + Campo + QStringLiteral(" = ") + textoNumerico(ValorBuscado) + a + Condicion;
    else
        sql = inicio + Campo + QStringLiteral(" = ") + ValorBuscado + a + Condicion;

    vb::Variant resultado;
    ado::Recordset rs;
    bool abierto = true;
    auto manejador = [&](const vb::Error& e) {
        if (IgnoraError) {
            resultado = QString();
            return 0;
        }
        return avisoDeConsulta(e);
    };
    vb::RunSteps(
        {[&] { return AbrirRecordset(sql, rs, gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true), true; },
         [&] {
             abierto = gOpenFlag;
             return abierto;
         },
         [&] {
             resultado = rs.Bof() ? vb::Variant(QString())
                                  : m_funciones.ValorCampo(rs.Fields(CampoDevuelto).Value()).toString();
             return true;
         },
         [&] { return CierraRecordset(rs), true; }},
        manejador);
    return abierto ? resultado : vb::Variant();
}

void DB_Dll::QConsulta(const vb::Variant&, const vb::Variant&, const vb::Variant&, const vb::Variant&,
                       const vb::Variant&, const vb::Variant&)
{}

void DB_Dll::QGridConsulta(const vb::Variant&, const vb::Variant&, const vb::Variant&, const vb::Variant&,
                           const vb::Variant&)
{}
bool DB_Dll::adodate(const vb::Variant& Qtype) const
{
    return esTipo(Qtype, {ado::adDate, ado::adDBDate, 137, ado::adDBTime, ado::adDBTimeStamp, 64});
}

QString DB_Dll::ADOComilla(const vb::Variant& Qtype) const
{
    return adodate(Qtype) || ADOText(Qtype) ? QStringLiteral("'") : QString();
}

bool DB_Dll::ADOText(const vb::Variant& Qtype) const
{
    return esTipo(Qtype, {8, ado::adLongVarChar, ado::adLongVarWChar, ado::adVarChar, ado::adVarWChar, ado::adWChar,
                          ado::adChar});
}

bool DB_Dll::ADONumeric(const vb::Variant& Qtype) const
{
    return esTipo(Qtype, {ado::adBigInt, 14, ado::adDouble, ado::adInteger, ado::adNumeric, ado::adSingle,
                          ado::adSmallInt, 16, 21, 19, 18, ado::adUnsignedTinyInt});
}

bool DB_Dll::ADOCurrency(const vb::Variant& Qtype) const
{
    return esTipo(Qtype, {ado::adCurrency});
}

bool DB_Dll::ADOBoolean(const vb::Variant& Qtype) const
{
    return esTipo(Qtype, {ado::adBoolean});
}

vb::Variant DB_Dll::SQLValue(const vb::Variant& Valor, const QString& Tipo) const
{
    if (Tipo == QLatin1String("@")) {
        if (Valor.isNull())
            return QStringLiteral("0");
        const double numero = m_funciones.TextoANumero(Valor.toString()).toDouble();
        return m_funciones.Reemplazar(vb::CStr(numero), QStringLiteral(","), QStringLiteral("."));
    }
    if (Valor.isNull())
        return QStringLiteral("NULL");
    return Tipo == QLatin1String("'") ? comillas(Valor.toString()) : Valor.toString();
}

QString DB_Dll::stSTF(QString& rsName, short rnPart) const
{
    if (rsName.count(QLatin1Char('.')) >= 2)
        return StripOwner(rsName);
    const qsizetype punto = rsName.indexOf(QLatin1Char('.'));
    if (rnPart != 0)
        return punto < 0 ? rsName : rsName.mid(punto + 1);
    if (punto < 0)
        argumentoNoValido();
    return rsName.left(punto);
}

QString DB_Dll::AddBrackets(const QString& rObjName) const
{
    if (rObjName.contains(QLatin1Char(' ')) && !rObjName.startsWith(QLatin1Char('[')))
        return QLatin1Char('[') + rObjName + QLatin1Char(']');
    return rObjName;
}

QString DB_Dll::StripConnect(const QString& rsTblName) const
{
    const int flecha = vb::InStr(rsTblName, QStringLiteral("->"));
    if (flecha == 0)
        return rsTblName;
    // The character just before the arrow (the blank of «TABLA ->ORIGEN») goes too.
    if (flecha < 2)
        argumentoNoValido();
    return rsTblName.left(flecha - 2);
}

QString DB_Dll::StripBrackets(const QString& rsObjName) const
{
    if (!rsObjName.startsWith(QLatin1Char('[')))
        return rsObjName;
    if (rsObjName.size() < 2)
        argumentoNoValido();
    return rsObjName.mid(1, rsObjName.size() - 2);
}

QString DB_Dll::StripOwner(QString& rsTblName) const
{
    const qsizetype punto = rsTblName.indexOf(QLatin1Char('.'));
    if (punto >= 0)
        rsTblName = rsTblName.mid(punto + 1);
    return rsTblName;
}

QString DB_Dll::StripFileName(const QString& rsFileName) const
{
    // Either separator: a path may come from Windows or from this system.
    const qsizetype barra =
        std::max(rsFileName.lastIndexOf(QLatin1Char('\\')), rsFileName.lastIndexOf(QLatin1Char('/')));
    return barra < 0 ? QString() : rsFileName.left(barra);
}

bool DB_Dll::ExisteTablaDB(const QString& Tabla)
{
    bool existe = false;
    ado::Recordset tablas;
    vb::RunSteps({[&] { return tablas = gCnn->OpenSchema(ado::adSchemaTables), true; },
                  [&] {
                      existe = nombraA(tablas, QStringLiteral("TABLE_NAME"), Tabla);
                      return true;
                  }},
                 reportarVerificacion);
    return existe;
}

bool DB_Dll::ExisteCampoDB(const QString& Tabla, const QString& Campo)
{
    if (contiene(gDB().gProveedor, QStringLiteral("ORACLE")))
        return true;
    bool existe = false;
    ado::Recordset columnas;
    vb::RunSteps({[&] {
                      // The table trimmed, as ExisteTablaDB compares it; a blank database name restricts nothing,
                      // rather than asking for tables of no catalog.
                      const vb::Variant catalogo = vb::Trim(gDBName).isEmpty() ? vb::Variant() : vb::Variant(gDBName);
                      columnas = gCnn->OpenSchema(ado::adSchemaColumns,
                                                  {catalogo, vb::Variant(), vb::Trim(Tabla), vb::Variant()});
                      return true;
                  },
                  [&] {
                      existe = nombraA(columnas, QStringLiteral("COLUMN_NAME"), Campo);
                      return true;
                  }},
                 reportarVerificacion);
    return existe;
}

void DB_Dll::AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                      const std::optional<vb::Variant>& ValorDefault)
{
    vb::RunSteps(
        {[&] {
            const QString nulos = PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null ");
            const QString porDefecto = ValorDefault
                                           ? QStringLiteral(" CONSTRAINT DF_") + vb::Trim(Tabla) + QStringLiteral("_") +
                                                 vb::Trim(Campo) + QStringLiteral(" DEFAULT (") +
                                                 textoDeValor(*ValorDefault) + QStringLiteral(")")
                                           : QString();
            QString sql = QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo +
                          QStringLiteral(" ") + Tipo + nulos + porDefecto;
            long afectados = 0;
            EjecutaConsultaSQL(sql, afectados);
            return true;
        }},
        [](const vb::Error& e) { return gDB().TratamientoErrores(e, std::nullopt, QStringLiteral("errAddField")); });
}

bool DB_Dll::VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo,
                        bool PermiteNulos, const std::optional<vb::Variant>& ValorDefault)
{
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar)
        AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    return true;
}

QString DB_Dll::SS_TSinonimos(const QString& sentencia)
{
    if (gEsAdmin)
        return sinAdmin(sentencia);
    if (contiene(sentencia, QStringLiteral("MV_ASIENTOS")) && !gRestringeAsientos())
        return sinAdmin(sentencia);
    QString s = reemplazarNombre(sentencia, QStringLiteral("MA_CUENTAS"), QStringLiteral("SS_MA_CUENTAS"), true);
    s = vb::Replace(s, kAdmin + QStringLiteral("MA_CUENTAS"), QStringLiteral("MA_CUENTAS"), Compare::Text);
    if (!esPrograma({"PRAMEL_TODIX", "MIRTAL"}))
        s = reemplazarNombre(s, QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("SS_V_TA_DEPOSITO"));
    s = reemplazarNombre(s, QStringLiteral("MV_ASIENTOS"), QStringLiteral("SS_MV_ASIENTOS"));
    if (!esPrograma({"MQTRANS", "SSL"}))
        s = reemplazarNombre(s, QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("SS_V_TA_FAMILIAS"));
    s = reemplazarNombre(s, QStringLiteral("V_TA_CAJAS"), QStringLiteral("SS_V_TA_CAJAS"));
    s = reemplazarNombre(s, QStringLiteral("AC_CUENTASDIARIO"), QStringLiteral("SS_AC_CUENTASDIARIO"));
    s = reemplazarNombre(s, QStringLiteral("AC_CUENTASDIARIO_CCOSTO"), QStringLiteral("SS_AC_CUENTAS_DIARIO_CCOSTO"));
    return sinAdmin(s);
}

void DB_Dll::ejecutarConsulta(QString& sentencia, long& registros, ado::Recordset* lrcs, DB_Dll& compartida,
                              bool avisar)
{
    // Each word is looked for only when the ones before it decided nothing yet.
    if (contiene(sentencia, QStringLiteral("DROP")) && contiene(sentencia, QStringLiteral("CREATE")) &&
        !contiene(sentencia, QStringLiteral("DELETE")) && !contiene(sentencia, kAdmin))
        sentencia = SS_TSinonimos(sentencia);
    else
        sentencia = sinAdmin(sentencia);

    // A lone "data would be truncated" (with its "statement terminated" notice) is not kept as an error.
    auto olvidarTruncado = [&] {
        ado::Errors& errores = compartida.gCnn->Errors();
        if (errores.Count() >= 1 && errores.Count() <= 2 && !contiene(sentencia, QStringLiteral("TRANS")) &&
            errores(0).NativeError() == kTruncado)
            errores.Clear();
    };
    try {
        if (contiene(gCnn->ConnectionString(), QStringLiteral("ORACLE"))) {
            EjecutaScriptOracle(sentencia, registros);
        } else {
            ado::Recordset rs = gCnn->Execute(sentencia, &registros, -1);
            if (lrcs)
                *lrcs = std::move(rs);
        }
        olvidarTruncado();
    } catch (const std::exception& ex) {
        const vb::Error e = vb::toError(ex);
        olvidarTruncado();
        const bool esperado = e.Number() == kFalloGeneral || e.Number() == -2147217873 || e.Number() == -2147217865 ||
                              e.Number() == -2147217900;
        if (avisar && !esperado && !contiene(sentencia, QStringLiteral("TRANS")))
            vb::MsgBox(e.Description(), vb::vbCritical, QStringLiteral("Aviso al operador!!!"));
    }
}

void DB_Dll::EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs)
{
    ejecutarConsulta(SentenciaSQL, RecordsAffected, Lrcs, gDB(), false);
}

void DB_Dll::EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs)
{
    ejecutarConsulta(SentenciaSQL, RecordsAffected, Lrcs, gDBRSQL(), true);
}

void DB_Dll::EjecutaScriptOracle(QString& script, long& RecordsAffected)
{
    const std::pair<const char*, const char*> normalizacion[] = {
        {"SET NOCOUNT ON", ""},
        {"SET NOCOUNT OFF", ""},
        {" GO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO\r\n", " "},
        {"\r", " "},
        {"\r\n", " "},
        {"BEGIN TRANSACTION", "SET TRANSACTION"},
        {"BEGIN TRANS", "SET TRANSACTION"},
        {"COMMIT TRANSACTION", "COMMIT"},
        {"COMMIT TRANS", "COMMIT"},
        {"ROLLBACK TRANSACTION", "ROLLBACK"},
        {"ROLLBACK TRANS", "ROLLBACK"},
    };
    for (const auto& [que, por] : normalizacion)
        script = vb::Replace(script, QLatin1String(que), QLatin1String(por), Compare::Text);

    enum Clave {
        Insert,
        Delete,
        Update,
        Create,
        Drop,
        Alter,
        SetTransaction,
        Commit,
        Rollback,
        IfNotExist,
        IfExist,
        Grant,
        Ninguna
    };
    static const std::array<QString, 12> claves{
        QStringLiteral("INSERT "),         QStringLiteral("DELETE "),  QStringLiteral("UPDATE "),
        QStringLiteral("CREATE "),         QStringLiteral("DROP "),    QStringLiteral("ALTER "),
        QStringLiteral("SET TRANSACTION"), QStringLiteral("COMMIT"),   QStringLiteral("ROLLBACK"),
        QStringLiteral("IF NOT EXIST"),    QStringLiteral("IF EXIST"), QStringLiteral("GRANT ")};
    constexpr int kNinguna = 1999999;
    // "WITH GRANT OPTION" closes a grant; its "GRANT " does not begin another statement.
    auto posicion = [&](int desde, size_t i) {
        int p = vb::InStr(desde, script, claves[i], Compare::Text);
        while (p > 0 && i == Grant &&
               vb::RTrim(vb::Left(script, p - 1)).endsWith(QLatin1String(" WITH"), Qt::CaseInsensitive))
            p = vb::InStr(p + 1, script, claves[i], Compare::Text);
        return p;
    };
    auto primera = [&](int desde, Clave& cual) {
        int mejor = kNinguna;
        cual = Ninguna;
        for (size_t i = 0; i < claves.size(); ++i)
            if (const int p = posicion(desde, i); p > 0 && p < mejor) {
                mejor = p;
                cual = static_cast<Clave>(i);
            }
        return mejor;
    };
    for (;;) {
        Clave clave = Ninguna;
        const int inicio = primera(1, clave);
        if (inicio == kNinguna)
            break;
        Clave siguienteClave = Ninguna;
        const int siguiente = primera(inicio + 1, siguienteClave);
        QString sentencia = vb::Trim(vb::Mid(script, inicio, siguiente == kNinguna ? -1 : siguiente - inicio));
        script = siguiente == kNinguna ? QString() : vb::Trim(vb::Mid(script, siguiente));
        if (clave == SetTransaction) {
            gCnn->BeginTrans();
        } else if (clave == Commit) {
            gCnn->CommitTrans();
        } else if (clave == Rollback) {
            gCnn->RollbackTrans();
        } else {
            sentencia = ORACLE_Dicc(sentencia);
            if (!LimpiaSentenciaOracle(sentencia).isEmpty()) {
                long afectados = 0;
                gCnn->Execute(sentencia, &afectados, -1);
                RecordsAffected += afectados;
            }
        }
    }
    if (gCnn->Errors().Count() == 1 && gCnn->Errors()(0).Number() == kSinResultado)
        gCnn->Errors().Clear();
}

QString DB_Dll::LimpiaSentenciaOracle(QString& sentencia)
{
    if (contiene(sentencia, QStringLiteral("SET NOCOUNT")) || contiene(sentencia, QStringLiteral("IF NOT EXIST")))
        sentencia.clear();
    return sentencia;
}

bool DB_Dll::reconectarTrasPerdida(int& contador)
{
    ReintentaConectar();
    for (;;) {
        if (gOpenFlag)
            return ++contador < 3;
        ReintentaConectar();
        if (gOpenFlag)
            continue;
        const DB_Dll& principal = gDB();
        const QString texto = CRLF + CRLF + CRLF + QStringLiteral("Se perdio la conexion con la base de datos ") +
                              principal.gDBName + CRLF + QStringLiteral(" Servidor ") + principal.gServidor + CRLF +
                              CRLF + QStringLiteral("Elija SI para reintentar conectarse") + CRLF +
                              QStringLiteral("Elija NO para cerrar la aplicacion") + CRLF + CRLF + CRLF;
        if (vb::MsgBox(texto, kSiNoCritico, QStringLiteral("AVISO AL OPERADOR")) != vb::vbYes)
            std::exit(0);
    }
}

void DB_Dll::AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs,
                            const std::shared_ptr<ado::Connection>& Conexionactiva, long CursorType, long LockType,
                            long Options, bool ConvOracle)
{
    int contador = 1;
    vb::RunSteps(
        {[&] { return CierraRecordset(Lrcs), true; }, [&] { return SentenciaSQL = SS_TSinonimos(SentenciaSQL), true; },
         [&] {
             const auto& conexion = Conexionactiva ? Conexionactiva : gCnn;
             const bool oracle = vb::InStr(gCnn->ConnectionString(), QStringLiteral("ORACLE"), Compare::Text) > 1;
             Lrcs.Open(oracle && ConvOracle ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL, conexion, CursorType, LockType,
                       Options);
             return true;
         }},
        [&](const vb::Error& e) {
            const bool perdida = (e.Number() == kFalloGeneral || e.Number() == kNoUsable) && gCnn->Errors().Count() > 0;
            if (perdida && reconectarTrasPerdida(contador))
                return vb::kRepeat;
            return TratamientoErrores(e, std::nullopt, QStringLiteral("AbrirRecordset"));
        });
}

void DB_Dll::CierraRecordset(ado::Recordset& LrcsTemp)
{
    vb::RunStatement(
        [&] {
            if (LrcsTemp.State() != ado::adStateClosed)
                LrcsTemp.Close();
        },
        [&](const vb::Error& e) {
            if (e.Number() != kNoPermitido)
                return TratamientoErrores(e, std::nullopt, QStringLiteral("CierraRecordset"));
            vb::ResumeNext([&] { LrcsTemp.CancelUpdate(); });
            vb::ResumeNext([&] {
                if (LrcsTemp.State() != ado::adStateClosed)
                    LrcsTemp.Close();
            });
            return 0;
        });
}

QString DB_Dll::ORACLE_Dicc(const QString& Valor)
{
    if (!contiene(gConnString, QStringLiteral("ORACLE")))
        return Valor;
    if (m_funciones.ContarPalabras(Valor) <= 1)
        return Valor.compare(QLatin1String("LEN"), Qt::CaseInsensitive) == 0 ? QStringLiteral("LENGTH") : Valor;
    return OracleDialect::Traducir(Valor);
}

int DB_Dll::TratamientoErrores(const vb::Error& error, std::optional<int> Botones, const QString& Rutina)
{
    const long numero = error.Number();
    const QString descripcion = error.Description();
    const QString origen = error.Source();
    const QString ruta =
        !gLogErr.isEmpty() ? gLogErr : m_funciones.AgregarBarra(vb::App::Path()) + QStringLiteral("MQERR.LOG");
    if (numero == 0)
        return 0;
    const QString mensaje = ReporteErrores::MensajeError(numero, descripcion);
    const QString parteRutina = Rutina.isEmpty() ? QString() : QStringLiteral(" - ") + Rutina;
    const int respuesta = vb::MsgBox(mensaje, Botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical),
                                     origen + parteRutina + QStringLiteral(" Aviso al operador!!! - 5 "));
    // This reporter writes a single blank for an answer that has no word.
    const QString palabra = ReporteErrores::PalabraRespuesta(respuesta).isEmpty()
                                ? QStringLiteral(" ")
                                : ReporteErrores::PalabraRespuesta(respuesta);
    vb::ResumeNext([&] {
        QFile log(ruta);
        if (log.open(QIODevice::Append))
            log.write(vb::toAnsi(ReporteErrores::LineaLog(parteRutina, mensaje, palabra)));
    });
    return respuesta;
}
