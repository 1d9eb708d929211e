#include "lookup/ConsultasLen.h"

#include "platform/vb/App.h"
#include "platform/vb/Error.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ConsultasLenArchivo : public ::testing::Test {
protected:
    void SetUp() override { vb::App::setPath(carpeta.path()); }
    void TearDown() override { vb::App::setPath(QString()); }
    QString escribir(const QByteArray& texto) const
    {
        QFile f(carpeta.filePath("CONSULTASLEN.MQT"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texto);
        return f.fileName();
    }
    QTemporaryDir carpeta;
};

TEST_F(ConsultasLenArchivo, TheFilesLieInTheProgramFolder)
{
    EXPECT_EQ(ConsultasLen::RutaArchivo(), QDir(carpeta.path()).filePath("CONSULTASLEN.MQT"));
    EXPECT_EQ(ConsultasLen::RutaAuxiliar(), QDir(carpeta.path()).filePath("CONSULTASLEN.AUX"));
}

TEST_F(ConsultasLenArchivo, RecordsAreReadFieldByField)
{
    const QString ruta = escribir("\"CLIENTES\",\"1785|3150|\"\r\n\"a, b\",\"15|\"\r\nSUELTA , 30|\n\"SOLA\"\r\n");
    const auto registros = ConsultasLen::Leer(ruta);
    ASSERT_EQ(registros.size(), 3u);
    EXPECT_EQ(registros[0].tabla, "CLIENTES");
    EXPECT_EQ(registros[0].anchos, "1785|3150|");
    EXPECT_EQ(registros[1].tabla, "a, b");
    EXPECT_EQ(registros[1].anchos, "15|");
    EXPECT_EQ(registros[2].tabla, "SUELTA");
    EXPECT_EQ(registros[2].anchos, "30|");
}

TEST_F(ConsultasLenArchivo, EachLineIsOneRecordAndADamagedLineIsPassedOver)
{
    const QString ruta = escribir("\"A\",\"15|\"\r\n\"SOLA\"\r\n\"B\",\"30|\"\r\n\"C\",\"45|\",\"DE MAS\"\r\n"
                                  "\"ABIERTA,\"60|\r\n\r\n\"D\",\"75|\"\r\n");
    QStringList leidos;
    for (const ConsultasLen::Registro& r : ConsultasLen::Leer(ruta))
        leidos << r.tabla + "=" + r.anchos;
    EXPECT_EQ(leidos, (QStringList{"A=15|", "B=30|", "D=75|"}));
}

TEST_F(ConsultasLenArchivo, AMissingFileIsAnError)
{
    EXPECT_THROW(ConsultasLen::Leer(carpeta.filePath("NADA.MQT")), vb::Error);
}

TEST(ConsultasLen, RecordsAreWrittenQuotedWithCrLf)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    ConsultasLen::Escribir(b, {"VT_CLIENTES", "1785|3150|"});
    EXPECT_EQ(b.data(), "\"VT_CLIENTES\",\"1785|3150|\"\r\n");
}

TEST(ConsultasLen, WidthListsUseTheLocaleAndEndEachWidthWithABar)
{
    EXPECT_EQ(ConsultasLen::ListaAnchos({1785, 3150}).toStdString(), "1785|3150|");
    EXPECT_EQ(ConsultasLen::ListaAnchos({1785.5}).toStdString(), "1785,5|");
    EXPECT_EQ(ConsultasLen::ListaAnchos({}).toStdString(), "");
    QString lista = "1785|3150";
    QString ancho;
    EXPECT_TRUE(ConsultasLen::TomarAncho(lista, ancho));
    EXPECT_EQ(ancho.toStdString(), "1785");
    EXPECT_EQ(lista.toStdString(), "3150");
    EXPECT_FALSE(ConsultasLen::TomarAncho(lista, ancho)) << "an entry without its bar is not taken";
}

} // namespace
