// The database access class: one ADO connection and the data it was built from, the connection set-up
// (SQL Server, Oracle, Access), statements and record sets with reconnection, the Oracle translation,
// the restricted-view rewriting, lookup queries, value formatting and name functions, schema checks and its
// own error reporter.
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

    // The highest value of a column (a number unless Tipo is 7). On V_MA_ARTICULOS a maximum beginning with
    // "0" is asked again without such codes; the extended condition is written back into Condicion.
    vb::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo = {});
    vb::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo,
                            QString& Condicion);
    vb::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo,
                            QString&& Condicion)
    {
        return BuscaMaximo(QueTabla, QueCampo, Tipo, Condicion);
    }
    // The lowest value of a column as a number.
    vb::Variant BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo = {},
                            const QString& Condicion = QString());

    // Opens gCnn on SQL Server or Oracle, asking the connection dialog first when told to; on failure
    // offers (with MuestraError) to try again through the dialog, without limit.
    void OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin,
                         bool MuestraError);
    // Closes and reopens gCnn with its own connection string; gOpenFlag tells whether it is open.
    void ReintentaConectar();
    // Opens gCnn on an Access file, asking for the file or the database password when needed.
    void OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD);

    // Whether a row matches, on gDB's connection, comparing the key as stored; Lrcs (when given) is left
    // open on the rows found.
    bool ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado,
                         const QString& Campo = QStringLiteral("Codigo"), ado::Recordset* Lrcs = nullptr,
                         const vb::Variant& Tipodato = 8, const QString& Condicion = QString(),
                         bool SoloLectura = false);
    // The same on this instance's connection, keys compared trimmed, restricted views and Oracle applied.
    bool ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado,
                       const QString& Campo = QStringLiteral("Codigo"), ado::Recordset* Lrcs = nullptr,
                       const vb::Variant& Tipodato = 8, const QString& Condicion = QString(), bool SoloLectura = true);
    // One column of the first row whose `Campo` matches, as text; "" when none, Empty when the connection
    // could not be opened.
    vb::Variant DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                           const QString& Campo = QStringLiteral("Codigo"), const vb::Variant& Tipodato = 8,
                           const QString& Condicion = QString(), bool UsaTrim = true, bool IgnoraError = false);
    // Classifiers of an ADO type code, given as a number or as numeric text.
    bool adodate(const vb::Variant& Qtype) const;
    // The delimiter a value of the type needs in a statement: "'" for dates and texts, otherwise "".
    QString ADOComilla(const vb::Variant& Qtype) const;
    bool ADOText(const vb::Variant& Qtype) const;
    bool ADONumeric(const vb::Variant& Qtype) const;
    bool ADOCurrency(const vb::Variant& Qtype) const;
    bool ADOBoolean(const vb::Variant& Qtype) const;
    void CierraRecordset(ado::Recordset& LrcsTemp);
    // Kept empty: callers may still call them.
    void QConsulta(const vb::Variant& TB, const vb::Variant& Rsp, const vb::Variant& Cl1, const vb::Variant& Cl2,
                   const vb::Variant& CmpDisplay = {}, const vb::Variant& SQLWHERE = {});
    void QGridConsulta(const vb::Variant& Sentencia, const vb::Variant& CampoDevuelto1, const vb::Variant& gCnnString,
                       const vb::Variant& CampoDevuelto2 = {}, const vb::Variant& CampoDevuelto3 = {});

    // With two or more dots, StripOwner (written back); otherwise the part after (rnPart not 0) or before
    // (rnPart 0) the first dot.
    QString stSTF(QString& rsName, short rnPart) const;
    QString stSTF(QString&& rsName, short rnPart) const { return stSTF(rsName, rnPart); }
    // Object names: brackets around a name with blanks, the owner prefix, a "->" connection suffix, the file.
    QString AddBrackets(const QString& rObjName) const;
    QString StripConnect(const QString& rsTblName) const;
    QString StripBrackets(const QString& rsObjName) const;
    // The text after the first ".", also written back into the argument.
    QString StripOwner(QString& rsTblName) const;
    QString StripOwner(QString&& rsTblName) const { return StripOwner(rsTblName); }
    // The folder of a path, without its trailing separator; "" when there is none.
    QString StripFileName(const QString& rsFileName) const;
    // Run a statement; errors stay in the connection's Errors (EjecutaConsultaRSQL also shows most).
    void EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs = nullptr);
    void EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, ado::Recordset* Lrcs = nullptr);
    // Opens Lrcs on Conexionactiva (gCnn when null), reconnecting after a lost connection.
    void AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs,
                        const std::shared_ptr<ado::Connection>& Conexionactiva = nullptr,
                        long CursorType = ado::adOpenForwardOnly, long LockType = ado::adLockReadOnly,
                        long Options = ado::adCmdUnspecified, bool ConvOracle = false);
    QString ORACLE_Dicc(const QString& Valor);
    // The highest value of a column as a number; Condicion applies when it is not blank.
    vb::Variant BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const vb::Variant& Tipo = 8,
                                  const QString& Condicion = QString());
    QString pJETOLEDB40() const { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    QString pJETOLEDB35() const { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }
    QString pSQLOLEDB() const { return QStringLiteral("SQLOLEDB"); }
    // One value as a SQL literal: "@" a number with "." as decimal point, "'" (the default) a quoted text,
    // anything else the value's text; Null gives "0" as a number and "NULL" otherwise.
    vb::Variant SQLValue(const vb::Variant& Valor, const QString& Tipo = QStringLiteral("'")) const;
    // Adds a column through EjecutaConsultaSQL, whose errors stay in the connection's Errors.
    // Tipo is the SQL type as written; a text default carries its own apostrophes.
    void AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                  const std::optional<vb::Variant>& ValorDefault = std::nullopt);
    // Whether the table (or view) exists, names compared trimmed and in any case.
    bool ExisteTablaDB(const QString& Tabla);
    // Whether the column exists in the table of the database gDBName; always True on Oracle.
    bool ExisteCampoDB(const QString& Tabla, const QString& Campo);
    // Adds the column when the table exists and lacks it (and Agregar); always answers True.
    bool VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar = true, const QString& Tipo = QString(),
                    bool PermiteNulos = false, const std::optional<vb::Variant>& ValorDefault = std::nullopt);
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

    // The named column of the statement's first row (never Null); none when there is no row.
    std::optional<vb::Variant> primerValor(const QString& sql, const QString& columna);
    // Whether the statement finds a row: on a record set of its own, or on `lrcs`, which stays open.
    bool existeEn(const QString& sentencia, const std::shared_ptr<ado::Connection>& conexion, ado::Recordset* lrcs,
                  bool soloLectura, bool traducir);

    ClsUtilidades m_funciones;
};

// The shared instances, each created on first use and kept to the end of the program: the main connection
// (which several members address instead of their own instance), the statistics database, the list lookup's
// own connection, and the instance whose errors EjecutaConsultaRSQL inspects.
DB_Dll& gDB();
DB_Dll& gDBEstadisticas();
DB_Dll& gDBConsulta();
DB_Dll& gDBRSQL();
// Restricts the journal entries for users who are not administrators; nothing in the system sets it.
bool& gRestringeAsientos();
