#include "platform/dorvik/ClsUtilidades.h"

#include "platform/vb/Constants.h"
#include "support/ScriptedOperator.h"

#include <gtest/gtest.h>

namespace {
const ClsUtilidades u;
}

TEST(ClsUtilidades, CodificarIsReversibleAndSafeForCommaSeparatedRecords)
{
    for (const QString& clave : {QString(""), QString("sa"), QString::fromUtf8("Contraseña, con \"comillas\"\r\ny más"),
                                 QString("1234567890abcdefghij")}) {
        const QString stored = u.Codificar(clave);
        EXPECT_FALSE(stored.contains(',') || stored.contains('"') || stored.contains('\n') || stored.contains('\r'));
        EXPECT_EQ(u.Decodificar(stored), clave);
        if (!clave.isEmpty()) {
            EXPECT_NE(stored, clave);
        }
    }
}

TEST(ClsUtilidades, AgregarBarraEndsInExactlyOneSeparator)
{
    EXPECT_EQ(u.AgregarBarra("/tmp"), "/tmp/");
    EXPECT_EQ(u.AgregarBarra("/tmp/"), "/tmp/");
    EXPECT_EQ(u.AgregarBarra("/tmp//"), "/tmp/");
    EXPECT_EQ(u.AgregarBarra("carpeta"), "carpeta/");
}

TEST(ClsUtilidades, TextoANumeroReadsTheLocaleAndBlankIsZero)
{
    struct Case {
        const char* text;
        double value;
    };
    for (const Case c : {Case{"", 0}, Case{"   ", 0}, Case{"12", 12}, Case{" 0004 ", 4}, Case{"1.234,5", 1234.5},
                         Case{"2,25", 2.25}, Case{"abc", 0}}) {
        EXPECT_DOUBLE_EQ(u.TextoANumero(c.text).toDouble(), c.value) << c.text;
    }
    EXPECT_EQ(u.TextoAEntero("7,6"), 8);
}

TEST(ClsUtilidades, SepararRutaGivesTheFolderSecond)
{
    QString unidad, carpeta, archivo, extension;
    u.SepararRuta("/home/ana/OpenSSL/bin/openssl", unidad, carpeta, archivo, extension);
    EXPECT_EQ(carpeta, "/home/ana/OpenSSL/bin/");
    EXPECT_EQ(archivo, "openssl");
    u.SepararRuta("C:\\OpenSSL\\bin\\openssl.exe", unidad, carpeta, archivo, extension);
    EXPECT_EQ(unidad, "C:");
    EXPECT_EQ(carpeta, "C:\\OpenSSL\\bin\\");
    EXPECT_EQ(extension, "exe");
}

TEST(ClsUtilidades, TextHelpers)
{
    EXPECT_EQ(u.QuitarCaracteres("20-1234/5678-6", "-", "/"), "2012345678" "6");
    EXPECT_EQ(u.AlinearDerecha("779", 6), "   779");
    EXPECT_EQ(u.AlinearDerecha("1234567", 3), "1234567");
    EXPECT_EQ(u.ContarPalabras("  una  dos tres "), 3);
    EXPECT_EQ(u.ContarPalabras(""), 0);
    EXPECT_EQ(u.ContarPalabras("   "), 0);
    EXPECT_EQ(u.ContarPalabras("una\tdos"), 1);
    EXPECT_EQ(u.ReemplazarTexto("Select * FROM x", "from", "de"), "Select * de x");
    EXPECT_EQ(u.AcortarTexto("abcdefghij", 6), "abc...");
    EXPECT_EQ(u.AcortarTexto("abc", 6), "abc");
    EXPECT_TRUE(u.ValorCampo(vb::Variant::Null()).toString().isEmpty());
    EXPECT_EQ(u.ValorCampo(vb::Variant::Null(), true).toDouble(), 0.0);
}

TEST(ClsUtilidades, ManejarErrorAsksAbortRetryIgnore)
{
    kembtest::ScriptedOperator op;
    op.answerMsgBox(vb::vbRetry);
    EXPECT_EQ(u.ManejarError(vb::Error(53, "No se encontró el archivo", "KEMB"), "GenerarClave"), vb::vbRetry);
    ASSERT_EQ(op.msgBoxes().size(), 1u);
    EXPECT_EQ(op.msgBoxes()[0].buttons, vb::vbAbortRetryIgnore + vb::vbCritical);
    EXPECT_TRUE(op.msgBoxes()[0].prompt.contains("(53) No se encontró el archivo"));
}
