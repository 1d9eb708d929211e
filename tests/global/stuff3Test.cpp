#include "global/stuff3.h"

#include "global/ast.h"

#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

TEST(MostrarEstado, PaintsTheTextOnTheWindowsStatusBoxWithTheLastValue)
{
    QWidget ventana;
    auto* caja = new QLabel(&ventana);
    caja->setObjectName("picStatus");
    caja->resize(200, 20);
    QLabel referencia;
    referencia.resize(200, 20);

    ast::PintarProgreso(*caja, 30, 100);
    stuff3::MostrarEstado(0, "Analizando Script 3", {}, &ventana);
    const QImage mostrada = caja->pixmap().toImage();
    ast::PintarProgreso(referencia, 30, 100, false, "Analizando Script 3");
    EXPECT_EQ(mostrada, referencia.pixmap().toImage());
}

TEST(MostrarEstado, WithoutAWindowOrABoxNothingHappens)
{
    stuff3::MostrarEstado(0, "nada");
    QWidget sinCaja;
    auto* otra = new QLabel(&sinCaja);
    otra->setObjectName("picOtra");
    otra->resize(100, 20);
    stuff3::MostrarEstado(0, "nada", {}, &sinCaja);
    EXPECT_TRUE(otra->pixmap().isNull());
}
