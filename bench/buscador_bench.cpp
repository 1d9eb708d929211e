// The file finder over a tree of 100,000 files with a pattern that matches nothing, so that every folder
// is read and every subfolder entered, against a plain recursive walk of the same tree (one readdir per
// folder, one lstat per entry). Both run alternately in one run; the "razon" counter shows how many times
// longer the finder takes than the walk.
#include "util/cFindFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

// 10 folders of 10 folders of 10 folders, each leaf holding 100 files: 100,000 files, 1,110 folders.
constexpr int kRamas = 10;
constexpr int kArchivosPorHoja = 100;
constexpr int kArchivos = kRamas * kRamas * kRamas * kArchivosPorHoja;

const QString& arbolDePrueba()
{
    static QTemporaryDir carpeta;
    static const QString raiz = [] {
        for (int a = 0; a < kRamas; ++a)
            for (int b = 0; b < kRamas; ++b)
                for (int c = 0; c < kRamas; ++c) {
                    const QString hoja =
                        carpeta.filePath(QStringLiteral("Area%1/Sector%2/Lote%3").arg(a).arg(b).arg(c));
                    QDir().mkpath(hoja);
                    for (int i = 0; i < kArchivosPorHoja; ++i) {
                        QFile archivo(hoja + QStringLiteral("/Comprobante_%1.dat").arg(i, 4, 10, QLatin1Char('0')));
                        archivo.open(QIODevice::WriteOnly);
                        archivo.write("x");
                    }
                }
        return carpeta.path();
    }();
    return raiz;
}

// The anchor: every entry of every folder examined once with lstat, folders entered.
long recorrer(const std::string& carpeta)
{
    DIR* dir = opendir(carpeta.c_str());
    if (!dir)
        return 0;
    long entradas = 0;
    while (const dirent* e = readdir(dir)) {
        const std::string nombre = e->d_name;
        if (nombre == "." || nombre == "..")
            continue;
        const std::string ruta = carpeta + '/' + nombre;
        struct stat estado;
        if (lstat(ruta.c_str(), &estado) != 0)
            continue;
        ++entradas;
        if (S_ISDIR(estado.st_mode))
            entradas += recorrer(ruta);
    }
    closedir(dir);
    return entradas;
}

long recorrerArbol()
{
    return recorrer(QFile::encodeName(arbolDePrueba()).toStdString());
}

// What the callers do, with a pattern no file of the tree has.
long buscar(const QString& patron)
{
    cFindFiles buscador;
    buscador.setSearchSubDirs(true);
    QString archivo;
    buscador.Find(arbolDePrueba(), patron, QStringLiteral("openssl.exe"), 1, archivo);
    return buscador.DirCount() + archivo.size();
}

template <typename F>
double segundos(F&& trabajo)
{
    const auto inicio = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(trabajo());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

void BM_RecorridoPlano(benchmark::State& state)
{
    arbolDePrueba();
    for (auto _ : state)
        benchmark::DoNotOptimize(recorrerArbol());
    state.SetItemsProcessed(state.iterations() * kArchivos);
}
BENCHMARK(BM_RecorridoPlano)->Unit(benchmark::kMillisecond);

void BM_Buscador(benchmark::State& state, const QString& patron)
{
    arbolDePrueba();
    for (auto _ : state)
        benchmark::DoNotOptimize(buscar(patron));
    state.SetItemsProcessed(state.iterations() * kArchivos);
}
BENCHMARK_CAPTURE(BM_Buscador, una_extension, QStringLiteral("*.zzz"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Buscador, varias_extensiones, QStringLiteral("*.zzz;*.yyy"))->Unit(benchmark::kMillisecond);

// The finder and the walk alternately, so that both see the same state of the machine and its caches.
void BM_RazonBuscadorSobreRecorrido(benchmark::State& state, const QString& patron)
{
    arbolDePrueba();
    double buscador = 0;
    double recorrido = 0;
    for (auto _ : state) {
        recorrido += segundos(recorrerArbol);
        buscador += segundos([&patron] { return buscar(patron); });
    }
    state.counters["razon"] = buscador / recorrido;
}
BENCHMARK_CAPTURE(BM_RazonBuscadorSobreRecorrido, una_extension, QStringLiteral("*.zzz"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_RazonBuscadorSobreRecorrido, varias_extensiones, QStringLiteral("*.zzz;*.yyy"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
