#include "platform/dorvik/ClsControles.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

TEST(ClsControlesTest, BuscarPorTagIgnoresCase)
{
    QWidget ventana;
    std::vector<QLineEdit*> cajas;
    for (const char* tag : {"Codigo", "Descripcion", "Precio"}) {
        cajas.push_back(new QLineEdit(&ventana));
        ClsControles::setTag(cajas.back(), QLatin1String(tag));
    }
    const ClsControles controles;
    EXPECT_EQ(controles.BuscarPorTag(QStringLiteral("Codigo"), cajas), 0);
    EXPECT_EQ(controles.BuscarPorTag(QStringLiteral("precio"), cajas), 2);
    EXPECT_EQ(controles.BuscarPorTag(QStringLiteral("DESCRIPCION"), cajas), 1);
    EXPECT_EQ(controles.BuscarPorTag(QStringLiteral("Cantidad"), cajas), -1);
    EXPECT_EQ(controles.BuscarPorTag(QString(), cajas), -1);
}

TEST(ClsControlesTest, EnterMovesTheFocusOnAndIsSwallowed)
{
    QWidget ventana;
    auto* layout = new QVBoxLayout(&ventana);
    QLineEdit* cajas[3];
    for (QLineEdit*& caja : cajas)
        layout->addWidget(caja = new QLineEdit(&ventana));
    cajas[1]->setEnabled(false);
    ventana.show();
    QApplication::setActiveWindow(&ventana);
    cajas[0]->setFocus();

    const ClsControles controles;
    int tecla = 13;
    EXPECT_TRUE(controles.EvaluarTecla(tecla));
    controles.ProcesarTecla(tecla);
    EXPECT_EQ(tecla, 0);
    EXPECT_TRUE(cajas[2]->hasFocus()) << "a disabled field is passed over";

    for (int otra : {9, 27, 65, 113, 40}) {
        EXPECT_FALSE(controles.EvaluarTecla(otra)) << otra;
        int sin = otra;
        controles.ProcesarTecla(sin);
        EXPECT_EQ(sin, otra);
    }
    EXPECT_TRUE(cajas[2]->hasFocus());
}

} // namespace
