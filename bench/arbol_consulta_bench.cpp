// The tree lookup window building its tree from a statement of 10,000 and 100,000 account codes (each code
// extends its parent by two digits, ten children a node, five levels) read from SQLite, against a plain
// QTreeWidget fill of the same nodes whose parents are known beforehand. Both run alternately in one run;
// the "razon" counter says how many times longer the window takes than the plain fill.
#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "support/Mediana.h"

#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
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

QString baseDe(int cuantos, const std::vector<Nodo>& nodos)
{
    static QTemporaryDir carpeta;
    const QString ruta = carpeta.filePath(QStringLiteral("cuentas%1.db").arg(cuantos));
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
    return QStringLiteral("DRIVER={%1};Database=%2;").arg(kSqliteDriver, ruta);
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

template <typename F>
double segundos(F&& trabajo)
{
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
    const size_t esperados = armar()->Nodos().size();
    if (esperados != nodos.size() + 1)
        state.SkipWithError("the window did not build every node");
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
BENCHMARK(BM_RazonArbolSobreLlenado)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
