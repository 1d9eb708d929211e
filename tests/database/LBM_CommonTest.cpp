#include "database/LBM_Common.h"
#include "global/ModGlobal.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/App.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(LBM_Common, RegistrarConexionAppendsOneTrimmedRecord)
{
    QTemporaryDir dir;
    vb::App::setPath(dir.path());
    EXPECT_TRUE(LBM_Common::LeerConexiones().empty());
    LBM_Common::RegistrarConexion(" SALES / SRV01 ", "SALES", "SALES", "SALES", "srv01:1433", "", false);
    LBM_Common::RegistrarConexion("ORA / X", "ORCL", "scott", "tiger", "orasrv", "respaldo", true);
    QFile f(dir.filePath("BASES.TXT"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString enc = ModGlobal::gFunciones().Codificar("SALES");
    const QString encOra = ModGlobal::gFunciones().Codificar("tiger");
    EXPECT_EQ(QString::fromLatin1(f.readAll()), "SALES / SRV01,SALES,SALES," + enc + ",srv01:1433\r\n" +
                                                    "ORA / X,ORCL,scott," + encOra + ",#orasrv/respaldo:\r\n");
    const auto registros = LBM_Common::LeerConexiones();
    ASSERT_EQ(registros.size(), 2u);
    EXPECT_EQ(registros[1][4], "#orasrv/respaldo:");
    EXPECT_EQ(ModGlobal::gFunciones().Decodificar(registros[1][3]), "tiger");
    vb::App::setPath(QString());
}

} // namespace
