// Reading 100,000 rows of five columns (integer, decimal, text, date and time, 0/1 integer) through
// ado::Recordset against bare ODBC loops over the same driver (SQLFetch, then SQLGetData per cell), on
// SQLite and on PostgreSQL, with and without the date column. The readers run in turn in one benchmark;
// the "razon" counters say how many times longer the record set takes (see BM_RecordsetSobreOdbc).
// PostgreSQL is measured when KEMB_PG_PORT names a running server.
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "support/Mediana.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kFilas = 100000;
const QString kSqliteDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
const QString kPostgresDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so");
const QString kConFecha = QStringLiteral("SELECT codigo, importe, nombre, fecha, activo FROM movimientos");
const QString kSinFecha = QStringLiteral("SELECT codigo, importe, nombre, activo FROM movimientos");

enum Motor { SQLite, PostgreSQL };

QString cadenaPostgres(const QString& base)
{
    return QStringLiteral("DRIVER={%1};Server=127.0.0.1;Port=%2;Database=%3;UID=postgres;")
        .arg(kPostgresDriver, qEnvironmentVariable("KEMB_PG_PORT"), base);
}

QString baseSqlite()
{
    static QTemporaryDir carpeta;
    static const QString archivo = [] {
        const QString ruta = carpeta.filePath(QStringLiteral("movimientos.db"));
        sqlite3* db = nullptr;
        sqlite3_open(ruta.toUtf8().constData(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE movimientos (codigo INTEGER, importe DECIMAL(12,2), nombre VARCHAR(40), "
                     "fecha TIMESTAMP, activo SMALLINT);BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* insertar = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO movimientos VALUES (?, ?, ?, ?, ?)", -1, &insertar, nullptr);
        const QDateTime inicio(QDate(2024, 1, 1), QTime(8, 30), Qt::UTC);
        for (int i = 0; i < kFilas; ++i) {
            const QByteArray nombre = QStringLiteral("Cliente número %1").arg(i).toUtf8();
            const QByteArray fecha = inicio.addSecs(i * 60LL).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
            sqlite3_bind_int(insertar, 1, i);
            sqlite3_bind_double(insertar, 2, i * 1.25);
            sqlite3_bind_text(insertar, 3, nombre.constData(), static_cast<int>(nombre.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insertar, 4, fecha.constData(), static_cast<int>(fecha.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insertar, 5, i % 2);
            sqlite3_step(insertar);
            sqlite3_reset(insertar);
        }
        sqlite3_finalize(insertar);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return QStringLiteral("DRIVER={%1};Database=%2;").arg(kSqliteDriver, ruta);
    }();
    return archivo;
}

const QString kBasePostgres = QStringLiteral("kemb_bench_%1").arg(QCoreApplication::applicationPid());

void ejecutarEn(const QString& cadena, const QString& sql)
{
    const auto cn = ado::Connection::create();
    cn->Open(cadena);
    cn->Execute(sql);
}

bool postgresCreada = false;

QString basePostgres()
{
    if (!postgresCreada) {
        const QString servidor = cadenaPostgres(QStringLiteral("postgres"));
        ejecutarEn(servidor, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(kBasePostgres));
        ejecutarEn(servidor, QStringLiteral("CREATE DATABASE %1").arg(kBasePostgres));
        postgresCreada = true;
        const auto cn = ado::Connection::create();
        cn->Open(cadenaPostgres(kBasePostgres));
        cn->Execute(QStringLiteral("CREATE TABLE movimientos (codigo INTEGER, importe NUMERIC(12,2), "
                                   "nombre VARCHAR(40), fecha TIMESTAMP, activo SMALLINT)"));
        cn->Execute(QStringLiteral("INSERT INTO movimientos SELECT g, g * 1.25, 'Cliente número ' || g, "
                                   "TIMESTAMP '2024-01-01 08:30:00' + g * INTERVAL '1 minute', g % 2 "
                                   "FROM generate_series(0, %1) AS g")
                        .arg(kFilas - 1));
    }
    return cadenaPostgres(kBasePostgres);
}

void borrarPostgres()
{
    if (postgresCreada)
        ejecutarEn(cadenaPostgres(QStringLiteral("postgres")),
                   QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(kBasePostgres));
}

struct Lectura {
    QString cadena;
    QString consulta;
};

// What the loop does with a field: enough to use its value, no more than the bare loop does with a cell.
// The value is taken as the program's own readers take it: `Fields(i).Value().toString()` and the like.
double usar(vb::Variant&& valor)
{
    switch (valor.type()) {
    case vb::Variant::Type::Null:
        return 0;
    case vb::Variant::Type::String:
        return static_cast<double>(std::move(valor).toString().size());
    case vb::Variant::Type::Date:
        return valor.toDate().serial();
    default:
        return valor.toDouble();
    }
}

double leerConRecordset(const Lectura& l)
{
    const auto cn = ado::Connection::create();
    cn->Open(l.cadena);
    ado::Recordset rs;
    rs.Open(l.consulta, cn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    const int columnas = rs.FieldCount();
    double suma = 0;
    for (; !rs.Eof(); rs.MoveNext())
        for (int i = 0; i < columnas; ++i)
            suma += usar(rs.Fields(i).Value());
    return suma;
}

void comprobar(SQLRETURN rc, const char* llamada)
{
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw std::runtime_error(llamada);
}

SQLHENV entornoOdbc()
{
    static const SQLHENV entorno = [] {
        SQLHENV e = SQL_NULL_HENV;
        comprobar(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &e), "SQLAllocHandle");
        comprobar(SQLSetEnvAttr(e, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                  "SQLSetEnvAttr");
        return e;
    }();
    return entorno;
}

// The C type the bare loop reads a column in. With `fechasNativas` dates come as ODBC's date structure;
// otherwise as text, as the record set reads them (a date column may hold other texts, kept as they are).
SQLSMALLINT tipoC(SQLSMALLINT tipoSql, bool fechasNativas)
{
    switch (tipoSql) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
        return SQL_C_SBIGINT;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return SQL_C_DOUBLE;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
        return fechasNativas ? SQL_C_TYPE_TIMESTAMP : SQL_C_WCHAR;
    default:
        return SQL_C_WCHAR;
    }
}

// The same rows straight from the driver: SQLFetch, then SQLGetData for each cell, once.
double leerConOdbc(const Lectura& l, bool fechasNativas)
{
    SQLHDBC dbc = SQL_NULL_HDBC;
    comprobar(SQLAllocHandle(SQL_HANDLE_DBC, entornoOdbc(), &dbc), "SQLAllocHandle");
    comprobar(SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(l.cadena.utf16())),
                                SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              "SQLDriverConnectW");
    SQLHSTMT st = SQL_NULL_HSTMT;
    comprobar(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st), "SQLAllocHandle");
    comprobar(SQLExecDirectW(st, reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(l.consulta.utf16())), SQL_NTS),
              "SQLExecDirectW");
    SQLSMALLINT columnas = 0;
    comprobar(SQLNumResultCols(st, &columnas), "SQLNumResultCols");
    std::vector<SQLSMALLINT> tipos;
    for (SQLUSMALLINT i = 1; i <= columnas; ++i) {
        SQLWCHAR nombre[128];
        SQLSMALLINT largo = 0;
        SQLSMALLINT tipoSql = 0;
        SQLULEN tamano = 0;
        SQLSMALLINT decimales = 0;
        SQLSMALLINT nulos = 0;
        comprobar(SQLDescribeColW(st, i, nombre, 128, &largo, &tipoSql, &tamano, &decimales, &nulos),
                  "SQLDescribeColW");
        tipos.push_back(tipoC(tipoSql, fechasNativas));
    }
    double suma = 0;
    while (SQLFetch(st) != SQL_NO_DATA) {
        for (SQLUSMALLINT i = 1; i <= columnas; ++i) {
            SQLLEN indicador = 0;
            switch (tipos[i - 1]) {
            case SQL_C_SBIGINT: {
                SQLBIGINT entero = 0;
                comprobar(SQLGetData(st, i, SQL_C_SBIGINT, &entero, 0, &indicador), "SQLGetData");
                suma += static_cast<double>(entero);
                break;
            }
            case SQL_C_DOUBLE: {
                SQLDOUBLE real = 0;
                comprobar(SQLGetData(st, i, SQL_C_DOUBLE, &real, 0, &indicador), "SQLGetData");
                suma += real;
                break;
            }
            case SQL_C_TYPE_TIMESTAMP: {
                SQL_TIMESTAMP_STRUCT fecha{};
                comprobar(SQLGetData(st, i, SQL_C_TYPE_TIMESTAMP, &fecha, sizeof fecha, &indicador), "SQLGetData");
                suma += fecha.day + fecha.minute;
                break;
            }
            default: {
                SQLWCHAR texto[256];
                comprobar(SQLGetData(st, i, SQL_C_WCHAR, texto, sizeof texto, &indicador), "SQLGetData");
                suma += static_cast<double>(indicador) / sizeof(SQLWCHAR);
            }
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    return suma;
}

double leerConOdbcEnTexto(const Lectura& l)
{
    return leerConOdbc(l, false);
}

double leerConOdbcNativo(const Lectura& l)
{
    return leerConOdbc(l, true);
}

struct Tiempo {
    double reloj = 0; // wall-clock seconds
    double cpu = 0;   // seconds of this process's processor time

    Tiempo& operator+=(const Tiempo& otro)
    {
        reloj += otro.reloj;
        cpu += otro.cpu;
        return *this;
    }
};

template <class Lector>
Tiempo medir(Lector lector, const Lectura& l)
{
    const auto inicio = std::chrono::steady_clock::now();
    const std::clock_t cpuInicio = std::clock();
    benchmark::DoNotOptimize(lector(l));
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(),
            static_cast<double>(std::clock() - cpuInicio) / CLOCKS_PER_SEC};
}

// state.range(0): the engine; state.range(1): 1 with the date column, 0 without it.
void BM_RecordsetSobreOdbc(benchmark::State& state)
{
    const bool postgres = state.range(0) == PostgreSQL;
    if (postgres && qEnvironmentVariable("KEMB_PG_PORT").isEmpty()) {
        state.SkipWithError("KEMB_PG_PORT is not set: no PostgreSQL server to read from");
        return;
    }
    const bool conFecha = state.range(1) != 0;
    const Lectura lectura{postgres ? basePostgres() : baseSqlite(), conFecha ? kConFecha : kSinFecha};
    Tiempo recordset;
    Tiempo odbc;
    Tiempo nativo;
    std::vector<double> razones;
    for (auto _ : state) {
        const Tiempo unaOdbc = medir(leerConOdbcEnTexto, lectura);
        const Tiempo unRecordset = medir(leerConRecordset, lectura);
        nativo += medir(leerConOdbcNativo, lectura);
        odbc += unaOdbc;
        recordset += unRecordset;
        razones.push_back(unRecordset.reloj / unaOdbc.reloj);
    }
    // "razon": against the bare loop that reads each cell in the C type the record set asks for, which
    // measures the layer alone; "razon_mediana" is the middle one of the rounds' ratios, which a burst of
    // load on a shared machine moves less. "razon_fecha_nativa": against the loop that takes dates as
    // ODBC's structure, a conversion some drivers make cheaper than the text. The processor-time ratio
    // leaves out, with PostgreSQL, the server's share.
    const auto cadaVez = [&](const Tiempo& t) { return t.reloj * 1000 / static_cast<double>(state.iterations()); };
    state.counters["razon"] = recordset.reloj / odbc.reloj;
    state.counters["razon_mediana"] = mediana(razones);
    state.counters["razon_cpu"] = recordset.cpu / odbc.cpu;
    state.counters["razon_fecha_nativa"] = recordset.reloj / nativo.reloj;
    state.counters["recordset_ms"] = cadaVez(recordset);
    state.counters["odbc_ms"] = cadaVez(odbc);
    state.counters["odbc_nativo_ms"] = cadaVez(nativo);
    state.SetItemsProcessed(state.iterations() * kFilas);
}
BENCHMARK(BM_RecordsetSobreOdbc)
    ->ArgNames({"motor", "fecha"})
    ->ArgsProduct({{SQLite, PostgreSQL}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    borrarPostgres();
    return 0;
}
