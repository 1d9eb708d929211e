// Reading 100,000 rows of a SQLite table through ado::Recordset (ODBC, client cursor) against the same
// query through the sqlite3 library directly; the "razon" counter shows how many times longer the ADO
// layer takes.
#include "database/DB_Dll.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlite3.h>

namespace {

constexpr int kFilas = 100000;
const QString kDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
const QString kConsulta = QStringLiteral("SELECT codigo, nombre, saldo FROM clientes");

// A SQLite file with the rows, made once for the whole run.
const QString& baseDePrueba()
{
    static QTemporaryDir carpeta;
    static const QString archivo = [] {
        const QString ruta = carpeta.filePath(QStringLiteral("lectura.db"));
        sqlite3* db = nullptr;
        sqlite3_open(ruta.toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE clientes (codigo INTEGER, nombre VARCHAR(40), saldo DOUBLE);BEGIN", nullptr,
                     nullptr, nullptr);
        sqlite3_stmt* insertar = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO clientes VALUES (?, ?, ?)", -1, &insertar, nullptr);
        for (int i = 0; i < kFilas; ++i) {
            const QByteArray nombre = QStringLiteral("Cliente número %1").arg(i).toUtf8();
            sqlite3_bind_int(insertar, 1, i);
            sqlite3_bind_text(insertar, 2, nombre.constData(), static_cast<int>(nombre.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(insertar, 3, i * 1.25);
            sqlite3_step(insertar);
            sqlite3_reset(insertar);
        }
        sqlite3_finalize(insertar);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return ruta;
    }();
    return archivo;
}

double leerConAdo()
{
    const auto cn = ado::Connection::create();
    cn->Open(QStringLiteral("DRIVER={%1};Database=%2;").arg(kDriver, baseDePrueba()));
    ado::Recordset rs;
    rs.Open(kConsulta, cn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    double suma = 0;
    for (; !rs.Eof(); rs.MoveNext())
        suma +=
            rs.Fields(0).Value().toDouble() + rs.Fields(2).Value().toDouble() + rs.Fields(1).Value().toString().size();
    return suma;
}

double leerConSqlite()
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(baseDePrueba().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* consulta = nullptr;
    sqlite3_prepare_v2(db, kConsulta.toUtf8().constData(), -1, &consulta, nullptr);
    double suma = 0;
    while (sqlite3_step(consulta) == SQLITE_ROW) {
        const auto* texto = reinterpret_cast<const char*>(sqlite3_column_text(consulta, 1));
        suma += sqlite3_column_int(consulta, 0) + sqlite3_column_double(consulta, 2) +
                QString::fromUtf8(texto, sqlite3_column_bytes(consulta, 1)).size();
    }
    sqlite3_finalize(consulta);
    sqlite3_close(db);
    return suma;
}

double segundos(double (*lectura)())
{
    const auto inicio = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(lectura());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

void BM_LecturaAdo(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(leerConAdo());
    state.SetItemsProcessed(state.iterations() * kFilas);
}
BENCHMARK(BM_LecturaAdo)->Unit(benchmark::kMillisecond);

void BM_LecturaSqliteDirecta(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(leerConSqlite());
    state.SetItemsProcessed(state.iterations() * kFilas);
}
BENCHMARK(BM_LecturaSqliteDirecta)->Unit(benchmark::kMillisecond);

void BM_RazonAdoSobreSqlite(benchmark::State& state)
{
    double ado = 0;
    double directa = 0;
    for (auto _ : state) {
        ado += segundos(leerConAdo);
        directa += segundos(leerConSqlite);
    }
    state.counters["razon"] = ado / directa;
}
BENCHMARK(BM_RazonAdoSobreSqlite)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
