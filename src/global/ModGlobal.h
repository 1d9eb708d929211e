// The global module: the suite's shared objects and settings, and its error, configuration, file, module
// launcher, statistics-database and article lookup services.
#pragma once

#include "database/DB_Dll.h"
#include "database/ExistenciaArchivo.h"
#include "database/ReporteErrores.h"
#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"
#include "platform/vb/Error.h"
#include "platform/vb/Variant.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace ado {
class Recordset;
}
class ClsUtilidades;
class ClsSistema;
class ClsEspera;

namespace ModGlobal {

// Shared objects of the utility library, created on first use.
ClsUtilidades& gFunciones();
ClsSistema& gEntorno();
ClsEspera& gEspera();

// The shared database instances and the journal restriction, kept by the database subsystem.
using ::gDB;
using ::gDBConsulta;
using ::gDBEstadisticas;
using ::gDBRSQL;
using ::gRestringeAsientos;

// The configuration table's name; the readers set it to "TA_CONFIGURACION" when blank.
QString& gTablaConfiguracion();
// Connection and command time-out of the statistics database, from its key TimeOut.
short& gTimeOut();
// The logged-in user and the cash register handed to started modules; a host program sets them.
QString& gUsuarioLogeado();
QString& gCaja();
// When set, FechaServidor falls back to the configured operation date (FECHAOPERHASTA).
bool& gUsaFechaOperacion();
// Settings of the article lookup, set by a host program: the scale-label layout and its decimals, the
// "A" prefix split, and the business-unit check.
QString& gFormatoEtiquetaBalanza();
QString& gDecimalesBalanza();
short& gUsaPrefijoA();
short& gUsaPrefijoA2();
short& gControlaUnidadNegocio();
QString& gUnidadNegocio();

// The database server's current date and time, to the second; the operation date or the local clock when
// the server gives no answer.
vb::Date FechaServidor();
// The server part of a registered server text: after the first "/", before the first ":".
QString NombreServidor(const QString& Servidor);

// (Re)opens gDBEstadisticas on the statistics database MQ_ESTADISTICAS of gDB's server, making its login
// (and the database, when the server lacks it) first; gTimeOut takes the key TimeOut (360 by default).
// Reports nothing.
void ConectarEstadisticas();
// Creates a login with full rights (SQL Server) or a user with full grants (Oracle), on Conexion or gDB.
// A login that already exists is left as it is.
void CrearUsuario(const QString& BaseDeDatos, const QString& Usuario, const QString& Password,
                  DB_Dll* Conexion = nullptr);
// Creates the database and its login from the generated script "CDB7.SQL", then runs "completomqe.sql" from
// the program's folder on it; false when it stopped early (no full script, no connection to the new database).
bool CrearBaseDeDatos(const QString& Servidor, const QString& Usuario, const QString& Password,
                      const QString& BaseDeDatos);

// Looks up the article that a typed or scanned text names: a quantity prefix ("3*code"), an "A" prefix and a
// scale label are decoded first, then the article view is searched by barcode, id, box barcode, the four
// alternative barcodes and the supplier's code. True when an article was found (and, for the sales modules,
// belongs to the selected business unit); Codigo then holds its id and RsArticulo its row.
bool BuscarArticulo(QString& Codigo, ado::Recordset& RsArticulo, bool SoloLectura, bool& PorCodigoBarra,
                    QString& Descripcion, const QString& CuentaProveedor, QString& UnidadBase, const QString& IdLista,
                    double& Cantidad, vb::Currency& Importe, QString& Prefijo, const QString& TipoComprobante,
                    short& EstadoUnidadNegocio);

// Starts another module of the suite with the connection on its command line; IdProceso gets its process
// id, 0 when none was started (the operator is then told).
void MenuExes(const QString& Ejecutable, const QString& ParametroAdicional, std::int64_t& IdProceso);

// Reads a key of the configuration table on gDB: its VALOR (ValorAux receives its ValorAux); " " when no
// row has the key; "" when gDB is not open or the read failed. A blank THEME reads as "1".
QString Cfg(const QString& Clave);
QString Cfg(const QString& Clave, QString& ValorAux);
// The same on the statistics connection, without the open-connection test.
QString CfgMQ(const QString& Clave);
QString CfgMQ(const QString& Clave, QString& ValorAux);
// Inserts or updates a key of the statistics database's configuration table; reports nothing.
void GrabaCfgMQ(const QString& Clave, const vb::Variant& Valor, const QString& ValorAux, bool PoliticaNegocio,
                const QString& Grupo, bool RecortarValor);

// The file services: whether a file can be opened for reading, a whole copy, opening a document.
using ExistenciaArchivo::ExisteArchivo;
// Copies the whole file byte for byte. An existing destination is replaced only by a whole copy: when the copy
// fails the result is false and the old file is left as it was.
bool CopiarArchivo(const QString& origen, const QString& destino);
// Opens a document with its associated program, without waiting for it.
void AbrirArchivo(const QString& ruta, bool mostrar);

// The standard error reporter and its texts.
using ReporteErrores::CarpetaTemporalLog;
using ReporteErrores::LineaLog;
using ReporteErrores::MensajeError;
using ReporteErrores::PalabraRespuesta;
using ReporteErrores::TratamientoErrores;

} // namespace ModGlobal
