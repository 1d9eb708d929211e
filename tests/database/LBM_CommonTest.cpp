#include "database/LBM_Common.h"
#include "global/ModGlobal.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/App.h"
#include "platform/vb/Error.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The permission bits of a file, as ls shows them in octal.
unsigned modo(const QString& ruta)
{
    struct stat datos {};
    return ::stat(QFile::encodeName(ruta).constData(), &datos) == 0 ? datos.st_mode & 07777u : 0u;
}

QByteArray leer(const QString& ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

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

// The file holds every registered password: its owner alone may read it, whether it is new or an older
// copy was readable by everyone, and what was in it stays byte for byte ahead of the new record.
TEST(LBM_Common, TheConnectionsFileIsReadableByItsOwnerOnly)
{
    QTemporaryDir dir;
    vb::App::setPath(dir.path());
    const QString ruta = dir.filePath("BASES.TXT");
    LBM_Common::RegistrarConexion("A / S", "A", "A", "A", "s", "", false);
    EXPECT_EQ(modo(ruta), 0600u);

    const QByteArray anterior = "VIEJA / S1,vieja,vieja,xx,s1\r\nsin fin de linea";
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(anterior);
    }
    ASSERT_TRUE(QFile::setPermissions(ruta, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
    ASSERT_EQ(modo(ruta), 0644u);
    LBM_Common::RegistrarConexion("B / S", "B", "B", "B", "s", "", false);
    EXPECT_EQ(modo(ruta), 0600u);
    EXPECT_EQ(leer(ruta), anterior + "B / S,B,B," + ModGlobal::gFunciones().Codificar("B").toLatin1() + ",s\r\n");
    vb::App::setPath(QString());
}

// A write that fails half way (a full disk) leaves the file as it was and says so.
TEST(LBM_Common, AFailedWriteLeavesTheConnectionsFileWhole)
{
    QTemporaryDir dir;
    vb::App::setPath(dir.path());
    const QString ruta = dir.filePath("BASES.TXT");
    LBM_Common::RegistrarConexion("VENTAS / SRV01", "ventas", "ventas", "ventas", "srv01", "", false);
    const QByteArray antes = leer(ruta);
    {
        kembtest::FileSizeLimit limite(static_cast<rlim_t>(antes.size() + 10));
        try {
            LBM_Common::RegistrarConexion("COMPRAS / SRV02", "compras", "compras", "compras", "srv02", "", false);
            ADD_FAILURE() << "no error";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 75);
        }
    }
    EXPECT_EQ(leer(ruta), antes);
    EXPECT_EQ(modo(ruta), 0600u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"BASES.TXT"}) << "no leftover file";
    vb::App::setPath(QString());
}

} // namespace
