#include "platform/vb/ScreenOperator.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The filter list that Qt's own file chooser shows for a filter in the run-time's "Desc|patterns" form.
QStringList listaDelSelector(const QString& filtro)
{
    QStringList vistos;
    QTimer buscar;
    buscar.setInterval(10);
    QObject::connect(&buscar, &QTimer::timeout, [&vistos, &buscar]() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* selector = qobject_cast<QFileDialog*>(w);
            if (!selector || !selector->isVisible())
                continue;
            buscar.stop();
            for (const auto* lista : selector->findChildren<QComboBox*>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < lista->count(); ++i)
                    vistos << lista->itemText(i);
            selector->reject();
            return;
        }
    });
    buscar.start();
    QWidget dueno;
    vb::ScreenOperator().openFile(&dueno, QStringLiteral("Seleccionar la Base de Datos"), filtro);
    return vistos;
}

TEST(ScreenOperator, TheChoosersFilterShowsEachPatternOnce)
{
    struct Case {
        const char* filtro;
        const char* lista; // the entries joined by ";;"
    };
    for (const Case& c : {
             Case{"CLAVE PRIVADA (*.KEY)|*.KEY", "CLAVE PRIVADA (*.KEY)"},
             Case{"CERTIFICADOS (*.CRT)|*.CRT", "CERTIFICADOS (*.CRT)"},
             Case{"Bases|*.mdb;*.accdb|Todos (*.*)|*.*", "Bases (*.mdb *.accdb);;Todos (*.*)"},
             Case{"Texto (txt)|*.txt", "Texto (txt) (*.txt)"},
         }) {
        EXPECT_EQ(listaDelSelector(QString::fromUtf8(c.filtro)).join(";;").toStdString(), c.lista) << c.filtro;
    }
}

} // namespace
