#include "certificate/ModDescargaIMG.h"

#include "EntornoAsistente.h"
#include "support/WebCacheEntry.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QNetworkDiskCache>
#include <QUrl>

using kembtest::EntornoAsistente;

namespace {

QByteArray imagen(int ancho, int alto, const char* formato = "PNG")
{
    QImage img(ancho, alto, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray datos;
    QBuffer buffer(&datos);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, formato);
    return datos;
}

bool enCache(const QString& direccion)
{
    return net::webCache().metaData(QUrl(direccion)).isValid();
}

class ModDescargaIMGTest : public EntornoAsistente {
protected:
    void SetUp() override
    {
        EntornoAsistente::SetUp();
        ASSERT_TRUE(QDir().mkpath(carpetaImagenes()));
    }

    void enCarpeta(const QString& nombre, const QByteArray& datos)
    {
        escribir(carpetaImagenes() + "/" + nombre, datos);
    }

    // Size of the picture the strip shows after the next turn.
    QSize siguiente()
    {
        ModDescargaIMG::MostrarImagenSiguiente(&m_tira, carpetaImagenes());
        return m_tira.pixmap().size();
    }

    bool descargar()
    {
        bool fallo = false;
        ModDescargaIMG::DescargarImagenes(carpetaImagenes(), fallo, QString());
        return fallo;
    }

    QString lista() const { return programa.path() + "/listaimagenes_web.txt"; }

    QLabel m_tira;
};

TEST_F(ModDescargaIMGTest, ListWithEmptyLinesDownloadsOnlyTheNamedPictures)
{
    servidor.route(enSitio("lista.txt"), respuesta(200, "uno.png\r\n\r\ndos.jpg\r\n\r\n"));
    servidor.route(enSitio("uno.png"), respuesta(200, imagen(10, 10)));
    servidor.route(enSitio("dos.jpg"), respuesta(200, imagen(12, 12, "JPEG")));
    EXPECT_FALSE(descargar());
    EXPECT_EQ(leer(lista()), "uno.png\r\n\r\ndos.jpg\r\n\r\n");
    EXPECT_EQ(leer(carpetaImagenes() + "/uno.png"), imagen(10, 10));
    EXPECT_TRUE(QFile::exists(carpetaImagenes() + "/dos.jpg"));
    QStringList pedidos;
    for (const auto& pedido : servidor.requests())
        pedidos << pedido.path;
    EXPECT_EQ(pedidos, QStringList({enSitio("lista.txt"), enSitio("uno.png"), enSitio("dos.jpg")}));
}

TEST_F(ModDescargaIMGTest, SiteFolderIsTheGivenOneOrTheExecutableName)
{
    servidor.route("/imgpublicidad/otro/lista.txt", respuesta(200, "x.png\n"));
    servidor.route("/imgpublicidad/otro/x.png", respuesta(200, imagen(4, 4)));
    bool fallo = false;
    ModDescargaIMG::DescargarImagenes(carpetaImagenes(), fallo, "otro");
    EXPECT_FALSE(fallo);
    EXPECT_TRUE(QFile::exists(carpetaImagenes() + "/x.png"));
}

TEST_F(ModDescargaIMGTest, FailedListSetsTheFlagAndSavesNoErrorPage)
{
    escribir(lista(), "vieja.png\r\n");
    servidor.route(enSitio("lista.txt"), respuesta(500, "<html>Error</html>"));
    EXPECT_TRUE(descargar());
    EXPECT_FALSE(QFile::exists(lista())) << "the old list is removed and the error page is not saved";
    EXPECT_EQ(servidor.requestCount(enSitio("vieja.png")), 0);
}

TEST_F(ModDescargaIMGTest, PictureAnsweredWithAnErrorIsNotSavedAndTheOthersAre)
{
    enCarpeta("a.png", imagen(3, 3));
    servidor.route(enSitio("lista.txt"), respuesta(200, "a.png\r\nb.png\r\n"));
    servidor.route(enSitio("a.png"), respuesta(404, "<html>No encontrado</html>"));
    servidor.route(enSitio("b.png"), respuesta(200, imagen(5, 5)));
    EXPECT_FALSE(descargar());
    EXPECT_FALSE(QFile::exists(carpetaImagenes() + "/a.png"));
    EXPECT_EQ(leer(carpetaImagenes() + "/b.png"), imagen(5, 5));
    EXPECT_EQ(QDir(carpetaImagenes()).entryList(QDir::Files | QDir::Hidden), QStringList{"b.png"});
}

TEST_F(ModDescargaIMGTest, NamesThatLeaveThePictureFolderAreNeitherDeletedNorWritten)
{
    const QString fuera = temporal.path() + "/fuera.png";
    escribir(fuera, "del usuario");
    servidor.route(
        enSitio("lista.txt"),
        respuesta(200, "../../fuera.png\r\n..\\..\\fuera.png\r\nsub/x.png\r\nc:x.png\r\n..\r\nbien.png\r\n"));
    servidor.route(enSitio("bien.png"), respuesta(200, imagen(6, 6)));
    EXPECT_FALSE(descargar());
    EXPECT_EQ(leer(fuera), "del usuario");
    EXPECT_EQ(QDir(carpetaImagenes()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"bien.png"});
    EXPECT_EQ(servidor.requests().size(), 2) << "only the list and the bare name are asked for";
}

TEST_F(ModDescargaIMGTest, RotationSkipsOtherFilesAndStartsAgain)
{
    enCarpeta("a.png", imagen(11, 7));
    enCarpeta("b.txt", "texto");
    enCarpeta("c.jpeg", imagen(13, 5, "JPEG"));
    EXPECT_EQ(siguiente(), QSize(11, 7));
    EXPECT_EQ(ModDescargaIMG::IndiceImagen, "2");
    EXPECT_EQ(siguiente(), QSize(13, 5));
    EXPECT_EQ(ModDescargaIMG::IndiceImagen, "3");
    EXPECT_EQ(siguiente(), QSize(11, 7));
    EXPECT_EQ(ModDescargaIMG::IndiceImagen, "2");
}

TEST_F(ModDescargaIMGTest, OnlyTheLastLettersOfTheNameCount)
{
    // Name order: a.apng, b.JPG, c.gif, d.png.txt, e.Jpeg, f.bmp.
    enCarpeta("a.apng", imagen(1, 1));
    enCarpeta("b.JPG", imagen(2, 1, "JPEG"));
    enCarpeta("c.gif", "no es una imagen que se pueda leer");
    enCarpeta("d.png.txt", imagen(4, 1));
    enCarpeta("e.Jpeg", imagen(5, 1, "JPEG"));
    enCarpeta("f.bmp", imagen(6, 1, "BMP"));
    EXPECT_EQ(siguiente(), QSize(1, 1));
    EXPECT_EQ(siguiente(), QSize(2, 1));
    // The unreadable .gif counts as a picture: the strip keeps its picture and the turn moves on.
    EXPECT_EQ(siguiente(), QSize(2, 1));
    EXPECT_EQ(ModDescargaIMG::IndiceImagen, "4");
    EXPECT_EQ(siguiente(), QSize(5, 1));
    EXPECT_EQ(siguiente(), QSize(1, 1));
}

TEST_F(ModDescargaIMGTest, EmptyFolderKeepsThePictureAndTheIndexReturnsToOne)
{
    enCarpeta("a.png", imagen(8, 8));
    EXPECT_EQ(siguiente(), QSize(8, 8));
    QFile::remove(carpetaImagenes() + "/a.png");
    enCarpeta("notas.txt", "x");
    EXPECT_EQ(siguiente(), QSize(8, 8));
    EXPECT_EQ(ModDescargaIMG::IndiceImagen, "1");
}

TEST_F(ModDescargaIMGTest, MissingFolderLeavesTheStripAsItIs)
{
    ModDescargaIMG::MostrarImagenSiguiente(&m_tira, temporal.path() + "/no-existe");
    EXPECT_TRUE(m_tira.pixmap().isNull());
    EXPECT_EQ(ModDescargaIMG::IndiceImagen, "1");
}

TEST_F(ModDescargaIMGTest, CacheCleanUpRemovesTheSiteEntriesAndKeepsTheOthers)
{
    const QString sitio = servidor.baseUrl();
    kembtest::addWebCacheEntry(sitio + "/imgpublicidad/kemb/lista.txt");
    kembtest::addWebCacheEntry(sitio + "/qv/descarga/2655/");
    kembtest::addWebCacheEntry("http://otro.example/imgpublicidad/kemb/a.png");
    kembtest::addWebCacheEntry("https://" + servidor.hostPort() + "/seguro.png");
    kembtest::addWebCacheEntry("http://otro.example/?volver=" + sitio);
    ModDescargaIMG::BorrarCacheWeb();
    EXPECT_FALSE(enCache(sitio + "/imgpublicidad/kemb/lista.txt"));
    EXPECT_FALSE(enCache(sitio + "/qv/descarga/2655/"));
    EXPECT_FALSE(enCache("http://otro.example/?volver=" + sitio)) << "the address holds the site's one";
    EXPECT_TRUE(enCache("http://otro.example/imgpublicidad/kemb/a.png"));
    EXPECT_TRUE(enCache("https://" + servidor.hostPort() + "/seguro.png"));
}

TEST_F(ModDescargaIMGTest, CacheCleanUpComparesWithoutCase)
{
    net::Site::setOverride("WWW.PELVARO.EXAMPLE");
    kembtest::addWebCacheEntry("http://www.pelvaro.example/imgpublicidad/kemb/a.png");
    kembtest::addWebCacheEntry("http://www.otro.example/a.png");
    ModDescargaIMG::BorrarCacheWeb();
    EXPECT_FALSE(enCache("http://www.pelvaro.example/imgpublicidad/kemb/a.png"));
    EXPECT_TRUE(enCache("http://www.otro.example/a.png"));
}

TEST_F(ModDescargaIMGTest, DownloadCleansTheCacheFirst)
{
    kembtest::addWebCacheEntry(servidor.baseUrl() + "/imgpublicidad/kemb/viejo.png");
    servidor.route(enSitio("lista.txt"), respuesta(200, ""));
    EXPECT_FALSE(descargar());
    EXPECT_FALSE(enCache(servidor.baseUrl() + "/imgpublicidad/kemb/viejo.png"));
}

TEST_F(ModDescargaIMGTest, EmptyCacheIsCleanedWithoutTrouble)
{
    ModDescargaIMG::BorrarCacheWeb();
    kembtest::addWebCacheEntry("http://otro.example/a.png");
    ModDescargaIMG::BorrarCacheWeb();
    EXPECT_TRUE(enCache("http://otro.example/a.png"));
}

} // namespace
