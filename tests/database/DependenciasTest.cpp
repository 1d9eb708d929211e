// The database subsystem stands below the global module, which uses its shared instances: a database source
// that included a global header would close the circle between the two again.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(Dependencias, NoDatabaseSourceIncludesAGlobalHeader)
{
    const QDir carpeta(QStringLiteral(KEMB_TEST_DATA "/../../src/database"));
    const QStringList fuentes = carpeta.entryList({QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files);
    ASSERT_TRUE(fuentes.contains(QStringLiteral("DB_Dll.cpp"))) << carpeta.absolutePath().toStdString();
    static const QRegularExpression global(QStringLiteral("^\\s*#\\s*include\\s*[\"<]global/"),
                                           QRegularExpression::MultilineOption);
    QStringList incluyen;
    for (const QString& fuente : fuentes) {
        QFile archivo(carpeta.filePath(fuente));
        ASSERT_TRUE(archivo.open(QIODevice::ReadOnly)) << fuente.toStdString();
        if (global.match(QString::fromUtf8(archivo.readAll())).hasMatch())
            incluyen << fuente;
    }
    EXPECT_EQ(incluyen, QStringList()) << incluyen.join(QStringLiteral(", ")).toStdString();
}

} // namespace
