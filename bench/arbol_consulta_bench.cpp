// The tree lookup window building its tree from a statement of 10,000 and 100,000 account codes (each code
// extends its parent by two digits, ten children a node, five levels) read from SQLite, against a plain
// QTreeWidget fill of the same nodes whose parents are known beforehand. Both run alternately in one run;
// the "razon" counter says how many times longer the window takes than the plain fill. The memory benchmark
// compares the peak of resident memory each side reaches while it builds the tree and holds it.
#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "support/Mediana.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <malloc.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

const QString kSqliteDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
const QString kSentencia = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM CUENTAS");

struct Nodo {
    QString codigo;
    int padre;
};

// The codes in depth-first order, parents before their children, with the index of each one's parent
// (-1 for the root's children).
std::vector<Nodo> plan(int cuantos)
{
    std::vector<Nodo> nodos;
    const std::function<void(QString, int, int)> bajar = [&](QString prefijo, int padre, int nivel) {
        for (int i = 1; i <= 10 && static_cast<int>(nodos.size()) < cuantos; ++i) {
            nodos.push_back({prefijo + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')), padre});
            if (nivel < 5)
                bajar(nodos.back().codigo, static_cast<int>(nodos.size()) - 1, nivel + 1);
        }
    };
    bajar(QString(), -1, 1);
    return nodos;
}

// One database per size, written once: both benchmarks read the same one.
QString baseDe(int cuantos, const std::vector<Nodo>& nodos)
{
    static QTemporaryDir carpeta;
    const QString ruta = carpeta.filePath(QStringLiteral("cuentas%1.db").arg(cuantos));
    const QString cadena = QStringLiteral("DRIVER={%1};Database=%2;").arg(kSqliteDriver, ruta);
    if (QFile::exists(ruta))
        return cadena;
    sqlite3* db = nullptr;
    sqlite3_open(ruta.toUtf8().constData(), &db);
    sqlite3_exec(db, "CREATE TABLE CUENTAS (CODIGO VARCHAR(12), DESCRIPCION VARCHAR(40));BEGIN", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insertar = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO CUENTAS VALUES (?, ?)", -1, &insertar, nullptr);
    for (const Nodo& n : nodos) {
        const QByteArray codigo = n.codigo.toUtf8();
        const QByteArray descripcion = (QStringLiteral("Cuenta ") + n.codigo).toUtf8();
        sqlite3_bind_text(insertar, 1, codigo.constData(), static_cast<int>(codigo.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insertar, 2, descripcion.constData(), static_cast<int>(descripcion.size()), SQLITE_TRANSIENT);
        sqlite3_step(insertar);
        sqlite3_reset(insertar);
    }
    sqlite3_finalize(insertar);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return cadena;
}

// The anchor: the root, then each node under its known parent, as a plain program fills a tree.
std::unique_ptr<QTreeWidget> llenar(const std::vector<Nodo>& nodos)
{
    auto arbol = std::make_unique<QTreeWidget>();
    auto* raiz = new QTreeWidgetItem(arbol.get(), QStringList{QStringLiteral("Consulta...")});
    raiz->setExpanded(true);
    std::vector<QTreeWidgetItem*> items;
    items.reserve(nodos.size());
    for (const Nodo& n : nodos) {
        QTreeWidgetItem* padre = n.padre < 0 ? raiz : items[static_cast<size_t>(n.padre)];
        items.push_back(new QTreeWidgetItem(padre, QStringList{n.codigo + QStringLiteral(" - Cuenta ") + n.codigo}));
    }
    return arbol;
}

// What the lookup class does: the window's load step over the statement.
std::unique_ptr<Lib_FrmCons3Tree> armar()
{
    auto ventana = std::make_unique<Lib_FrmCons3Tree>();
    ventana->SQL = kSentencia;
    ventana->Form_Load();
    return ventana;
}

void conectar(const QString& cadena)
{
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Open(cadena);
    db.gOpenFlag = true;
    db.gEsAdmin = true;
}

// Each round starts from a heap given back to the system, so that what one side left freed does not make
// the other's allocations faster or slower.
template <typename F>
double segundos(F&& trabajo)
{
    malloc_trim(0);
    const auto inicio = std::chrono::steady_clock::now();
    auto resultado = trabajo();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    benchmark::DoNotOptimize(resultado.get());
    return s;
}

void BM_RazonArbolSobreLlenado(benchmark::State& state)
{
    const int cuantos = static_cast<int>(state.range(0));
    const std::vector<Nodo> nodos = plan(cuantos);
    conectar(baseDe(cuantos, nodos));
    // Also a round of each side before the measured ones, so that neither is timed on a heap still growing.
    const size_t esperados = armar()->Nodos().size();
    if (esperados != nodos.size() + 1)
        state.SkipWithError("the window did not build every node");
    llenar(nodos);
    std::vector<double> ventana;
    std::vector<double> plano;
    for (auto _ : state) {
        plano.push_back(segundos([&] { return llenar(nodos); }));
        ventana.push_back(segundos(armar));
    }
    state.counters["ventana_s"] = mediana(ventana);
    state.counters["llenado_s"] = mediana(plano);
    state.counters["razon"] = mediana(ventana) / mediana(plano);
    ModGlobal::gDB() = DB_Dll();
}
// More rounds of the small tree, whose few milliseconds a busy machine moves the most.
BENCHMARK(BM_RazonArbolSobreLlenado)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(25);
BENCHMARK(BM_RazonArbolSobreLlenado)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

// A value in kB of /proc/self/status ("VmRSS", "VmHWM").
double kilobytes(const QByteArray& campo)
{
    QFile estado(QStringLiteral("/proc/self/status"));
    if (!estado.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& linea : estado.readAll().split('\n'))
        if (linea.startsWith(campo + ':'))
            return linea.mid(campo.size() + 1).trimmed().split(' ').value(0).toDouble();
    return 0;
}

// The most resident memory the work adds while it builds its tree and holds it, in MB. Memory freed before is
// given back to the system first and the high-water mark starts again from here ("5" to clear_refs), so
// neither side is measured on memory the other one left.
template <typename F>
double picoMb(F&& trabajo)
{
    malloc_trim(0);
    QFile reinicio(QStringLiteral("/proc/self/clear_refs"));
    if (reinicio.open(QIODevice::WriteOnly))
        reinicio.write("5");
    reinicio.close();
    const double antes = kilobytes("VmRSS");
    auto resultado = trabajo();
    benchmark::DoNotOptimize(resultado.get());
    return (kilobytes("VmHWM") - antes) / 1024;
}

void BM_MemoriaArbolSobreLlenado(benchmark::State& state)
{
    const int cuantos = static_cast<int>(state.range(0));
    const std::vector<Nodo> nodos = plan(cuantos);
    conectar(baseDe(cuantos, nodos));
    std::vector<double> ventana;
    std::vector<double> plano;
    for (auto _ : state) {
        plano.push_back(picoMb([&] { return llenar(nodos); }));
        ventana.push_back(picoMb(armar));
    }
    state.counters["ventana_mb"] = mediana(ventana);
    state.counters["llenado_mb"] = mediana(plano);
    state.counters["razon"] = mediana(ventana) / mediana(plano);
    ModGlobal::gDB() = DB_Dll();
}
BENCHMARK(BM_MemoriaArbolSobreLlenado)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
