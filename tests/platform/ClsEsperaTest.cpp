#include "platform/dorvik/ClsEspera.h"

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
