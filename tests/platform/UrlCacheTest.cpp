#include "platform/net/UrlCache.h"

#include "platform/net/Network.h"
#include "support/WebCacheEntry.h"

#include <QNetworkDiskCache>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

class UrlCacheTest : public ::testing::Test {
protected:
    void SetUp() override { net::webCache().setCacheDirectory(carpeta.path()); }

    // The source address held by a record.
    static QString direccion(const std::vector<std::byte>& registro)
    {
        net::UrlCacheEntryHead cabeza;
        std::memcpy(&cabeza, registro.data(), sizeof(cabeza));
        EXPECT_EQ(cabeza.dwStructSize, 84u);
        return QString::fromLatin1(reinterpret_cast<const char*>(registro.data()) + cabeza.lpszSourceUrlName);
    }

    QTemporaryDir carpeta;
};

TEST_F(UrlCacheTest, EmptyCacheHasNoFirstEntry)
{
    quint32 tamano = 0;
    EXPECT_EQ(net::FindFirstUrlCacheEntry({}, tamano), 0u);
    EXPECT_EQ(tamano, 0u);
}

TEST_F(UrlCacheTest, EnumeratesEveryEntryAsARecord)
{
    const QSet<QString> guardadas = {"http://a.example/uno.png", "http://b.example/dos?x=1", "https://c.example/"};
    for (const QString& d : guardadas)
        kembtest::addWebCacheEntry(d);

    quint32 tamano = 0;
    EXPECT_EQ(net::FindFirstUrlCacheEntry({}, tamano), 0u) << "without a buffer only the size comes back";
    ASSERT_GT(tamano, 84u);
    std::vector<std::byte> registro(tamano);
    const net::UrlCacheHandle enumeracion = net::FindFirstUrlCacheEntry(registro, tamano);
    ASSERT_NE(enumeracion, 0u);
    EXPECT_EQ(tamano, registro.size());
    EXPECT_EQ(registro.back(), std::byte{0});
    QSet<QString> vistas = {direccion(registro)};

    for (;;) {
        tamano = 0;
        EXPECT_FALSE(net::FindNextUrlCacheEntry(enumeracion, {}, tamano));
        if (tamano < 1)
            break;
        registro.assign(tamano, std::byte{0});
        ASSERT_TRUE(net::FindNextUrlCacheEntry(enumeracion, registro, tamano));
        vistas.insert(direccion(registro));
    }
    EXPECT_EQ(vistas, guardadas);
    EXPECT_TRUE(net::FindCloseUrlCache(enumeracion));
    EXPECT_FALSE(net::FindCloseUrlCache(enumeracion));
    EXPECT_FALSE(net::FindNextUrlCacheEntry(enumeracion, registro, tamano));
}

TEST_F(UrlCacheTest, DeleteRemovesOnlyThatEntry)
{
    kembtest::addWebCacheEntry("http://a.example/uno.png");
    kembtest::addWebCacheEntry("http://a.example/dos.png");
    EXPECT_TRUE(net::DeleteUrlCacheEntry("http://a.example/uno.png"));
    EXPECT_FALSE(net::DeleteUrlCacheEntry("http://a.example/uno.png"));
    EXPECT_FALSE(net::webCache().metaData(QUrl("http://a.example/uno.png")).isValid());
    EXPECT_TRUE(net::webCache().metaData(QUrl("http://a.example/dos.png")).isValid());
}

TEST_F(UrlCacheTest, ShortBufferKeepsTheEntryForTheNextCall)
{
    kembtest::addWebCacheEntry("http://a.example/1");
    kembtest::addWebCacheEntry("http://a.example/22");
    std::vector<std::byte> registro(200);
    quint32 tamano = 0;
    const net::UrlCacheHandle enumeracion = net::FindFirstUrlCacheEntry(registro, tamano);
    ASSERT_NE(enumeracion, 0u);
    std::vector<std::byte> corto(10);
    EXPECT_FALSE(net::FindNextUrlCacheEntry(enumeracion, corto, tamano));
    EXPECT_GT(tamano, 84u);
    EXPECT_TRUE(net::FindNextUrlCacheEntry(enumeracion, registro, tamano));
    EXPECT_FALSE(net::FindNextUrlCacheEntry(enumeracion, registro, tamano));
    net::FindCloseUrlCache(enumeracion);
}

} // namespace
