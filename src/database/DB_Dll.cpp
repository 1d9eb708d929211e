#include "database/DB_Dll.h"

#include "database/OracleDialect.h"
#include "database/frmAcceso.h"
#include "global/ModGlobal.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <array>
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

bool esPrograma(std::initializer_list<const char*> nombres)
{
    for (const char* n : nombres)
        if (vb::App::EXEName().compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

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
            const DB_Dll& principal = ModGlobal::gDB();
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
                  [&] { return ModGlobal::gDB().ExisteTablaDB(QStringLiteral("TA_USUARIOS")); },
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
                      const DB_Dll& principal = ModGlobal::gDB();
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

vb::Variant DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                               const QString& Campo, int Tipodato, const QString& Condicion, bool UsaTrim,
                               bool IgnoraError)
{
    const QString a = vb::Trim(Condicion).isEmpty() ? QString() : QStringLiteral(" AND ");
    const QString inicio = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ");
    const QString tr = vb::Trim(ValorBuscado);
    QString sql;
    switch (Tipodato) {
    case 8:
        sql = UsaTrim ? inicio + QStringLiteral("LTRIM(RTRIM(") + Campo + QStringLiteral(")) ='") + tr +
                            QStringLiteral("' ") + a + Condicion
                      : inicio + Campo + QStringLiteral(" ='") + ValorBuscado + QStringLiteral("' ") + a + Condicion;
        break;
    case 7:
        sql = inicio + Campo + QStringLiteral(" = #") + tr + QStringLiteral("# ") + a + Condicion;
        break;
    case 3:
    case 4:
    case 5:
        sql = inicio + Campo + QStringLiteral(" = ") + QString::number(vb::Val(ValorBuscado), 'g', 15) + a + Condicion;
        break;
    default:
        sql = inicio + Campo + QStringLiteral(" = ") + ValorBuscado + a + Condicion;
        break;
    }

    vb::Variant resultado;
    ado::Recordset rs;
    bool abierto = true;
    auto manejador = [&](const vb::Error& e) {
        if (IgnoraError) {
            resultado = QString();
            return 0;
        }
        return vb::MsgBox(e.Description(), vb::vbAbortRetryIgnore + vb::vbCritical,
                          QStringLiteral("Aviso al Operador"));
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

bool DB_Dll::ExisteTablaDB(const QString& Tabla)
{
    bool existe = false;
    ado::Recordset tablas;
    vb::RunSteps({[&] { return tablas = gCnn->OpenSchema(ado::adSchemaTables), true; },
                  [&] {
                      for (; !tablas.Eof() && !existe; tablas.MoveNext())
                          existe = vb::Trim(tablas.Fields(QStringLiteral("TABLE_NAME")).Value().toString())
                                       .compare(vb::Trim(Tabla), Qt::CaseInsensitive) == 0;
                      return true;
                  }},
                 [&](const vb::Error& e) {
                     return ModGlobal::gDB().TratamientoErrores(e, std::nullopt, QStringLiteral("VerificaCampos"));
                 });
    return existe;
}

QString DB_Dll::SS_TSinonimos(const QString& sentencia)
{
    if (gEsAdmin)
        return sinAdmin(sentencia);
    if (contiene(sentencia, QStringLiteral("MV_ASIENTOS")) && !ModGlobal::gRestringeAsientos())
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
    const bool drop = contiene(sentencia, QStringLiteral("DROP"));
    const bool create = contiene(sentencia, QStringLiteral("CREATE"));
    const bool del = contiene(sentencia, QStringLiteral("DELETE"));
    if (drop && create && !del && !contiene(sentencia, kAdmin))
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
    ejecutarConsulta(SentenciaSQL, RecordsAffected, Lrcs, ModGlobal::gDB(), false);
}

void DB_Dll::EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs)
{
    ejecutarConsulta(SentenciaSQL, RecordsAffected, Lrcs, ModGlobal::gDBRSQL(), true);
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
    auto primera = [&](int desde, Clave& cual) {
        int mejor = kNinguna;
        cual = Ninguna;
        for (size_t i = 0; i < claves.size(); ++i)
            if (const int p = vb::InStr(desde, script, claves[i], Compare::Text); p > 0 && p < mejor) {
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
        const DB_Dll& principal = ModGlobal::gDB();
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
    const QString mensaje = ModGlobal::MensajeError(numero, descripcion);
    const QString parteRutina = Rutina.isEmpty() ? QString() : QStringLiteral(" - ") + Rutina;
    const int respuesta = vb::MsgBox(mensaje, Botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical),
                                     origen + parteRutina + QStringLiteral(" Aviso al operador!!! - 5 "));
    // This reporter writes a single blank for an answer that has no word.
    const QString palabra =
        ModGlobal::PalabraRespuesta(respuesta).isEmpty() ? QStringLiteral(" ") : ModGlobal::PalabraRespuesta(respuesta);
    vb::ResumeNext([&] {
        QFile log(ruta);
        if (log.open(QIODevice::Append))
            log.write(vb::toAnsi(ModGlobal::LineaLog(parteRutina, mensaje, palabra)));
    });
    return respuesta;
}
