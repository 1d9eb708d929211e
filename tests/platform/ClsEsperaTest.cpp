#include "platform/dorvik/ClsEspera.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ClsEspera, ShowChangeAndHide)
{
    ClsEspera espera;
    EXPECT_FALSE(espera.visible());
    espera.OcultarEspera();
    espera.MostrarEspera("Cargando", 0);
    EXPECT_TRUE(espera.visible());
    espera.TextosEspera(0, "Verificando datos...", "Procesando");
    espera.MostrarEspera("Cargando..", 0);
    EXPECT_EQ(espera.titulo(), "Cargando..");
    EXPECT_EQ(espera.textos(), QStringList({"Verificando datos...", "Procesando", ""}));
    espera.OcultarEspera();
    EXPECT_FALSE(espera.visible());
    espera.OcultarEspera();
}

// The wait window opens over the middle of the window that asked for it, not in a corner of the screen.
TEST(ClsEspera, OpensCentredOnTheWindowThatAskedForIt)
{
    QWidget llamador;
    llamador.setGeometry(700, 400, 600, 400);
    llamador.show();
    llamador.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&llamador));
    ClsEspera espera;
    espera.MostrarEspera("Cargando", 0);
    const QWidget* ventana = nullptr;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Espera")
            ventana = w;
    ASSERT_NE(ventana, nullptr);
    const QPoint centro = ventana->frameGeometry().center();
    const QPoint esperado = llamador.frameGeometry().center();
    EXPECT_LE((centro - esperado).manhattanLength(), 8) << centro.x() << "," << centro.y();
    espera.OcultarEspera();
}
