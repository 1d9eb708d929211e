// A keystroke in a search box of the list lookup window whose text matches only one of the last rows of a
// shown list of 100,000 and 1,000,000 rows, against a plain findItems of the same text over the same list.
// Both run alternately in one run; the "razon" counter says how many times longer the keystroke takes.
#include "lookup/Lib_FrmCons3.h"
#include "support/Mediana.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

QString codigo(int i)
{
    return QStringLiteral("ART%1").arg(i, 7, 10, QLatin1Char('0'));
}

// The window as a load leaves it: a bold list of code and description, shown.
void llenar(Lib_FrmCons3& ventana, int filas)
{
    QFont letra = ventana.ListView1->font();
    letra.setBold(true);
    letra.setPointSize(10);
    ventana.ListView1->setFont(letra);
    ventana.ListView1->setColumnCount(2);
    for (int i = 0; i < filas; ++i)
        ventana.AgregarItem(codigo(i))->setText(1, QStringLiteral("Articulo numero %1").arg(i));
    ventana.show();
    QCoreApplication::processEvents();
}

template <typename F>
double segundos(F&& trabajo)
{
    const auto inicio = std::chrono::steady_clock::now();
    trabajo();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

void BM_RazonTecleoSobreFindItems(benchmark::State& state)
{
    const int filas = static_cast<int>(state.range(0));
    Lib_FrmCons3 ventana;
    llenar(ventana, filas);
    QComboBox* caja = ventana.CmbSearch[0];
    std::vector<double> tecleo;
    std::vector<double> plano;
    int vuelta = 0;
    for (auto _ : state) {
        // Two of the last rows in turn, so that every keystroke changes the text and moves the selection.
        const QString buscado = codigo(filas - 1 - (vuelta++ % 2));
        plano.push_back(segundos(
            [&] { benchmark::DoNotOptimize(ventana.ListView1->findItems(buscado, Qt::MatchStartsWith, 0).size()); }));
        tecleo.push_back(segundos([&] { caja->setEditText(buscado); }));
        if (ventana.ListView1->currentItem()->text(0) != buscado)
            state.SkipWithError("the keystroke did not find the row");
        QCoreApplication::processEvents();
    }
    state.counters["tecleo_ms"] = mediana(tecleo) * 1000;
    state.counters["findItems_ms"] = mediana(plano) * 1000;
    state.counters["razon"] = mediana(tecleo) / mediana(plano);
}
BENCHMARK(BM_RazonTecleoSobreFindItems)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(9);

} // namespace
