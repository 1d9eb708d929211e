// The database access class: one ADO connection and the data it was built from, the connection set-up
// (SQL Server, Oracle, Access), statements and record sets with reconnection, the Oracle translation,
// the restricted-view rewriting and its own error reporter.
#pragma once

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/dorvik/ClsDialogoArchivos.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Error.h"
#include "platform/vb/Variant.h"

#include <QString>
#include <memory>
#include <optional>

class DB_Dll {
public:
    ClsDialogoArchivos CmdDlg;
    bool gOpenFlag = false;
    vb::Variant gIgnoraPassWord;
    std::shared_ptr<ado::Connection> gCnn = ado::Connection::create();
    ado::Recordset glrcs;
    vb::Variant gCursorLocation;
    QString gProveedor;
    QString gDsn;
    QString gServidor;
    QString gDBName;
    QString gUsuario;
    bool gEsAdmin = false;
    QString gUserPassWord;
    QString gConnString;
    QString gExtended;
    QString gLogErr;
    bool ParametrosSQL = false;
    short gMQTimeOut = 0;

    // Opens gCnn on SQL Server or Oracle, asking the connection dialog first when told to; on failure
    // offers (with MuestraError) to try again through the dialog, without limit.
    void OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin,
                         bool MuestraError);
    // Closes and reopens gCnn with its own connection string; gOpenFlag tells whether it is open.
    void ReintentaConectar();
    // Opens gCnn on an Access file, asking for the file or the database password when needed.
    void OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD);

    // The "Administrador"-style lookup: one column of the first row whose `Campo` matches.
    vb::Variant DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                           const QString& Campo = QStringLiteral("Codigo"), int Tipodato = 8,
                           const QString& Condicion = QString(), bool UsaTrim = true, bool IgnoraError = false);
    void CierraRecordset(ado::Recordset& LrcsTemp);

    // Run a statement; errors stay in the connection's Errors (EjecutaConsultaRSQL also shows most).
    void EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs = nullptr);
    void EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs = nullptr);
    // Opens Lrcs on Conexionactiva (gCnn when null), reconnecting after a lost connection.
    void AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs,
                        const std::shared_ptr<ado::Connection>& Conexionactiva = nullptr,
                        long CursorType = ado::adOpenForwardOnly, long LockType = ado::adLockReadOnly,
                        long Options = ado::adCmdUnspecified, bool ConvOracle = false);
    QString ORACLE_Dicc(const QString& Valor);
    QString pJETOLEDB40() const { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    QString pJETOLEDB35() const { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }
    QString pSQLOLEDB() const { return QStringLiteral("SQLOLEDB"); }
    bool ExisteTablaDB(const QString& Tabla);
    // The statement with restricted names turned into their "SS_" views and "@Admin_" removed.
    QString SS_TSinonimos(const QString& sentencia);
    vb::Variant ArchivoErrores() const { return vb::Variant(gLogErr); }
    void setArchivoErrores(const vb::Variant& valor) { gLogErr = valor.toString(); }
    // The class's error reporter: Abort/Retry/Ignore by default, one line in its log, the answer back.
    int TratamientoErrores(const vb::Error& error, std::optional<int> Botones = std::nullopt,
                           const QString& Rutina = QString());

private:
    void EjecutaScriptOracle(QString& script, long& RecordsAffected);
    QString LimpiaSentenciaOracle(QString& sentencia);

    QString cadenaServidor() const;
    void pedirParametros();
    void ejecutarConsulta(QString& sentencia, long& registros, ado::Recordset* lrcs, DB_Dll& compartida, bool avisar);
    bool reconectarTrasPerdida(int& contador);

    ClsUtilidades m_funciones;
};
