// The Oracle translation (ORACLE_Dicc) on long statements and on everyday ones. "razon" is the time for a
// statement ten times longer over the time for the shorter one, both translated alternately in one run: a
// translation whose time grows with the length alone keeps it near 10. Also: a 1 MB list of 90,000 quoted dates, and
// translations per second of typical statements.
#include "database/DB_Dll.h"
#include "support/Mediana.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");

// A selection with one condition group per article, each with every construct the translation rewrites.
QString consultaLarga(int grupos)
{
    QString s = QStringLiteral("SELECT TOP 100 [CODIGO], LEN(NOMBRE), ISNULL(PRECIO,0) FROM [ARTICULOS] WHERE 1=0");
    for (int i = 0; i < grupos; ++i)
        s += QStringLiteral(" OR (CODIGO = 'A%1' AND ALTA >= '%2/%3/20%4' AND ISNULL(BAJA,0) = 0 AND LEN(NOMBRE) > 0"
                            " AND CONVERT(NVARCHAR,ALTA,103) <> '' AND SUBSTRING(NOMBRE,1,2) = 'AB' AND [OBS] = '')")
                 .arg(i)
                 .arg(1 + i % 28)
                 .arg(1 + i / 28 % 12)
                 .arg(i % 25, 2, 10, QLatin1Char('0'));
    return s + QStringLiteral(" ORDER BY CODIGO");
}

// 90,000 quoted dates in an IN list, written as d/M/yyyy and as dd/MM/yyyy, each date about ten times over.
QString listaDeFechas()
{
    QString s = QStringLiteral("SELECT * FROM MOVIMIENTOS WHERE FECHA IN (");
    for (int i = 0; i < 90000; ++i) {
        const int dia = 1 + i % 28;
        const int mes = 1 + i / 28 % 12;
        const int anio = 2000 + i / 336 % 25;
        s += i % 2 == 0 ? QStringLiteral("'%1/%2/%3',").arg(dia).arg(mes).arg(anio)
                        : QStringLiteral("'%1/%2/%3',")
                              .arg(dia, 2, 10, QLatin1Char('0'))
                              .arg(mes, 2, 10, QLatin1Char('0'))
                              .arg(anio);
    }
    s.chop(1);
    return s + QLatin1Char(')');
}

// Seconds for `veces` translations of `sentencia`.
double segundos(DB_Dll& db, const QString& sentencia, int veces = 1)
{
    const auto inicio = std::chrono::steady_clock::now();
    for (int i = 0; i < veces; ++i)
        benchmark::DoNotOptimize(db.ORACLE_Dicc(sentencia));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

// Each round translates the shorter statement ten times, then the longer one once: the two sides do the same
// amount of work back to back, and the medians keep a round disturbed by the rest of the machine from deciding.
void BM_Traduccion100KBSobre10KB(benchmark::State& state)
{
    DB_Dll db;
    db.gConnString = kOracle;
    const QString corta = consultaLarga(54);
    const QString larga = consultaLarga(540);
    // One untimed round first, so neither side pays for memory the process has not touched yet.
    segundos(db, corta, 10);
    segundos(db, larga);
    std::vector<double> cortas;
    std::vector<double> largas;
    for (auto _ : state) {
        cortas.push_back(segundos(db, corta, 10) / 10);
        largas.push_back(segundos(db, larga));
    }
    state.counters["razon"] = mediana(largas) / mediana(cortas);
    state.counters["KB_corta"] = corta.size() / 1000.0;
    state.counters["ms_corta"] = 1000 * mediana(cortas);
    state.counters["ms_larga"] = 1000 * mediana(largas);
}
BENCHMARK(BM_Traduccion100KBSobre10KB)->Unit(benchmark::kMillisecond)->Iterations(41);

void BM_Traduccion90000Fechas(benchmark::State& state)
{
    DB_Dll db;
    db.gConnString = kOracle;
    const QString sentencia = listaDeFechas();
    for (auto _ : state)
        benchmark::DoNotOptimize(db.ORACLE_Dicc(sentencia));
    state.counters["MB"] = sentencia.size() / 1e6;
}
BENCHMARK(BM_Traduccion90000Fechas)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OracleDicc(benchmark::State& state)
{
    DB_Dll db;
    db.gConnString = kOracle;
    const QString sentencias[] = {
        QStringLiteral("SELECT TOP 10 CODIGO, COUNT(*) FROM T WHERE X=1 GROUP BY CODIGO ORDER BY CODIGO"),
        QStringLiteral("SELECT * FROM MV WHERE FECHA >= '31/01/2020' AND OBS = ''"),
        QStringLiteral("SELECT CONVERT(NVARCHAR,FECHA,103), ISNULL(X,0), SUBSTRING(C,1,2) FROM [T] WHERE C=''"),
        QStringLiteral("UPDATE T SET A='' WHERE B = '' AND LEN(C) > 0"),
    };
    for (auto _ : state)
        for (const QString& s : sentencias)
            benchmark::DoNotOptimize(db.ORACLE_Dicc(s));
    state.SetItemsProcessed(state.iterations() * static_cast<long>(std::size(sentencias)));
}
BENCHMARK(BM_OracleDicc);

} // namespace

int main(int argc, char** argv)
{
#ifdef __GLIBC__
    // glibc hands freed memory back to the system or keeps it depending on thresholds it adjusts as it goes, so
    // from one run to the next the 100 KB side either reuses its memory or faults all of it in again on every
    // round; on a virtual machine that alone can triple its time. Fixed thresholds keep the memory, and the
    // ratio measures the translation.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
