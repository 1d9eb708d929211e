// Reading a 10 MB JSON document (objects, arrays, strings with escapes, numbers in every form) with
// JSON::Parse against QJsonDocument::fromJson on the same text; the "razon" counter shows how many times
// longer the reader takes. Both readings include freeing what they built.
#include "util/JSON.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

constexpr qsizetype kTamano = 10 * 1024 * 1024;

// One article record; the varying parts keep the strings and numbers from repeating exactly.
QByteArray registro(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "{\"id\":" + n + ",\"codigo\":\"779" + n + "\",\"descripcion\":\"Art\\u00edculo \\\"especial\\\" n\\u00ba " +
           n + "\\tcaja x 12\\/u\",\"nota\":\"l\\u00ednea 1\\nl\\u00ednea 2\\r\\n\\ud83d\\ude00 fin\\\\\"," +
           "\"precio\":" + n + ".75,\"descuento\":-0." + n + ",\"peso\":1.5e-3,\"stock\":-" + n +
           ",\"factor\":2E+2,\"activo\":true,\"baja\":false,\"proveedor\":null," +
           "\"precios\":[{\"lista\":1,\"importe\":" + n + ".5},{\"lista\":2,\"importe\":" + n +
           "e1}],\"etiquetas\":[\"bebida\",\"sin az\\u00facar\",\"" + n + "\"],\"medidas\":[[1,2.5],[3,-4e0]]}";
}

const QByteArray& documentoUtf8()
{
    static const QByteArray documento = [] {
        QByteArray texto = "[";
        for (int i = 0; texto.size() < kTamano; ++i)
            texto += (i ? "," : "") + registro(i) + "\n";
        return texto + "]";
    }();
    return documento;
}

const QString& documento()
{
    static const QString texto = QString::fromUtf8(documentoUtf8());
    return texto;
}

void leerConJson()
{
    benchmark::DoNotOptimize(JSON::Parse(documento()));
}

void leerConQt()
{
    benchmark::DoNotOptimize(QJsonDocument::fromJson(documentoUtf8()));
}

double segundos(void (*lectura)())
{
    const auto inicio = std::chrono::steady_clock::now();
    lectura();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

void BM_LecturaJson(benchmark::State& state)
{
    documento();
    for (auto _ : state)
        leerConJson();
    state.SetBytesProcessed(state.iterations() * documentoUtf8().size());
}
BENCHMARK(BM_LecturaJson)->Unit(benchmark::kMillisecond);

void BM_LecturaQJsonDocument(benchmark::State& state)
{
    documentoUtf8();
    for (auto _ : state)
        leerConQt();
    state.SetBytesProcessed(state.iterations() * documentoUtf8().size());
}
BENCHMARK(BM_LecturaQJsonDocument)->Unit(benchmark::kMillisecond);

void BM_RazonJsonSobreQJsonDocument(benchmark::State& state)
{
    // Both readers must take the whole document without a fault, or the ratio compares different work.
    if (QJsonDocument::fromJson(documentoUtf8()).isNull() || !JSON::Parse(documento()) ||
        !JSON::ErrorText().isEmpty()) {
        state.SkipWithError("el documento no se lee sin faltas");
        return;
    }
    double json = 0;
    double qt = 0;
    for (auto _ : state) {
        json += segundos(leerConJson);
        qt += segundos(leerConQt);
    }
    state.counters["razon"] = json / qt;
}
BENCHMARK(BM_RazonJsonSobreQJsonDocument)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
