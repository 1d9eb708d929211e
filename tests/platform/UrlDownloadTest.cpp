#include "platform/net/UrlDownload.h"

#include "support/ConnectProxy.h"
#include "support/DrippingServer.h"
#include "support/FileSizeLimit.h"
#include "support/HostileServer.h"
#include "support/HttpServer.h"
#include "support/MemoryGrowth.h"
#include "support/ProxyEnvironment.h"
#include "support/ShortStallWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using kembtest::HttpResponse;
using kembtest::HttpServer;

namespace {

HttpResponse respuesta(int estado, const QByteArray& cuerpo)
{
    HttpResponse r;
    r.status = estado;
    r.body = cuerpo;
    return r;
}

QByteArray leer(const QString& ruta)
{
    QFile archivo(ruta);
    return archivo.open(QIODevice::ReadOnly) ? archivo.readAll() : QByteArray("<missing>");
}

class UrlDownloadTest : public ::testing::Test {
protected:
    QString destino() const { return carpeta.path() + "/lista.txt"; }
    QStringList archivos() const { return QDir(carpeta.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir carpeta;
    HttpServer servidor;
};

TEST_F(UrlDownloadTest, SuccessSavesTheBody)
{
    const QByteArray cuerpo(100000, 'x');
    servidor.route("/a", respuesta(200, cuerpo));
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/a", destino()), net::kS_OK);
    EXPECT_EQ(leer(destino()), cuerpo);
}

TEST_F(UrlDownloadTest, SuccessReplacesAnExistingFile)
{
    QFile viejo(destino());
    ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
    viejo.write("un contenido anterior bastante mas largo");
    viejo.close();
    servidor.route("/a", respuesta(200, "nuevo"));
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/a", destino()), net::kS_OK);
    EXPECT_EQ(leer(destino()), "nuevo");
}

TEST_F(UrlDownloadTest, EmptyBodyIsASuccess)
{
    servidor.route("/vacio", respuesta(204, ""));
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/vacio", destino()), net::kS_OK);
    EXPECT_EQ(leer(destino()), "");
}

class EstadoDeError : public UrlDownloadTest, public ::testing::WithParamInterface<int> {};

TEST_P(EstadoDeError, FailsAndLeavesTheExistingFileAlone)
{
    QFile viejo(destino());
    ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
    viejo.write("anterior");
    viejo.close();
    servidor.route("/a", respuesta(GetParam(), "<html>pagina de error</html>"));
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/a", destino()), net::kInetDownloadFailure);
    EXPECT_EQ(leer(destino()), "anterior");
    EXPECT_EQ(archivos(), QStringList{"lista.txt"}) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Estados, EstadoDeError, ::testing::Values(400, 403, 404, 500, 503));

TEST_F(UrlDownloadTest, FullDiskFailsAndKeepsTheExistingFile)
{
    QFile viejo(destino());
    ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
    viejo.write("anterior");
    viejo.close();
    servidor.route("/grande", respuesta(200, QByteArray(100000, 'x')));
    long resultado = net::kS_OK;
    {
        kembtest::FileSizeLimit limite(1000);
        resultado = net::URLDownloadToFile(servidor.baseUrl() + "/grande", destino());
    }
    EXPECT_EQ(resultado, net::kInetDownloadFailure);
    EXPECT_EQ(leer(destino()), "anterior");
    EXPECT_EQ(archivos(), QStringList{"lista.txt"});
}

// A body that ends before the length it declared is no download: the earlier file stays as it was.
TEST_F(UrlDownloadTest, ABodyCutShortOfItsDeclaredLengthFailsAndKeepsTheExistingFile)
{
    QFile viejo(destino());
    ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
    viejo.write("lista anterior");
    viejo.close();
    HttpResponse corta = respuesta(200, "imagen1.jpg\r\nimag");
    corta.headers = {{"Content-Length", "1000"}};
    corta.sendContentLength = false;
    servidor.route("/corta", corta);
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/corta", destino()), net::kInetDownloadFailure);
    EXPECT_EQ(leer(destino()), "lista anterior");
    EXPECT_EQ(archivos(), QStringList{"lista.txt"});
}

TEST_F(UrlDownloadTest, ErrorStatusWritesNoFile)
{
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/no-hay", destino()), net::kInetDownloadFailure);
    EXPECT_TRUE(archivos().isEmpty());
}

TEST_F(UrlDownloadTest, RedirectIsFollowed)
{
    servidor.route("/viejo", HttpResponse{302, "", {{"Location", "/nuevo"}}});
    servidor.route("/nuevo", respuesta(200, "destino final"));
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/viejo", destino()), net::kS_OK);
    EXPECT_EQ(leer(destino()), "destino final");
}

// The download takes the proxy the environment names for an http address; a host only the proxy reaches is
// reached through it alone.
TEST_F(UrlDownloadTest, TheProxyOfTheAddressIsUsed)
{
    const QString host = QStringLiteral("sitio.kemb.invalid");
    kembtest::ConnectProxy proxy({host});
    int n = 0;
    for (const kembtest::HttpProxyCase& c : kembtest::httpProxyCases(proxy.url().toLatin1(), host.toLatin1())) {
        SCOPED_TRACE(c.name);
        const kembtest::ProxyEnvironment environment(c.variables);
        const QString path = QStringLiteral("/lista%1.txt").arg(++n);
        servidor.route(path, respuesta(200, "por el proxy"));
        QUrl url(servidor.baseUrl() + path);
        url.setHost(host);
        const qsizetype before = proxy.requests().size();
        QFile::remove(destino());
        if (c.proxied) {
            EXPECT_EQ(net::URLDownloadToFile(url.toString(), destino()), net::kS_OK);
            EXPECT_EQ(leer(destino()), "por el proxy");
            EXPECT_EQ(proxy.requests().mid(before), QList<QByteArray>{"GET " + url.toEncoded() + " HTTP/1.1"});
        } else {
            EXPECT_EQ(net::URLDownloadToFile(url.toString(), destino()), net::kInetDownloadFailure);
            EXPECT_TRUE(archivos().isEmpty());
            EXPECT_EQ(proxy.requests().size(), before);
        }
    }
}

TEST_F(UrlDownloadTest, ServerThatNeverAnswersFailsAtTheTimeLimit)
{
    HttpResponse colgado;
    colgado.hang = true;
    servidor.route("/colgado", colgado);
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/colgado", destino(), 300), net::kInetDownloadFailure);
    EXPECT_TRUE(archivos().isEmpty());
}

TEST_F(UrlDownloadTest, UnreachableHostOrFolderFails)
{
    EXPECT_EQ(net::URLDownloadToFile("http://www.pelvaro.invalid/a", destino()), net::kInetDownloadFailure);
    servidor.route("/a", respuesta(200, "x"));
    EXPECT_EQ(net::URLDownloadToFile(servidor.baseUrl() + "/a", carpeta.path() + "/no/existe.txt"),
              net::kInetDownloadFailure);
    EXPECT_EQ(servidor.requestCount("/a"), 0) << "nothing is fetched that could not be saved";
    EXPECT_TRUE(archivos().isEmpty());
}

} // namespace

// A body without end, or longer than its declared length, is refused without replacing the file, and the
// memory held meanwhile stays small.
TEST_F(UrlDownloadTest, ABodyWithoutEndIsRefusedAndKeepsTheExistingFile)
{
    struct Caso {
        const char* nombre;
        kembtest::HostileServer::Answer respuesta;
    };
    const Caso casos[] = {
        {"sin largo", {std::nullopt, false}},
        {"mas largo que el declarado", {1000, true}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        QFile viejo(destino());
        ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
        viejo.write("anterior");
        viejo.close();
        kembtest::HostileServer hostil(c.respuesta);
        kembtest::MemoryGrowth memoria;
        EXPECT_EQ(net::URLDownloadToFile(hostil.baseUrl() + "/imagen.jpg", destino(), 5000), net::kInetDownloadFailure);
        EXPECT_LT(memoria.peak(), kembtest::growthLimit(64));
        EXPECT_EQ(leer(destino()), "anterior");
        EXPECT_EQ(archivos(), QStringList{"lista.txt"});
    }
}

// A server that drips is left as stalled long before the time limit, and nothing replaces the earlier file.
TEST_F(UrlDownloadTest, ADownloadThatStallsFailsAndKeepsTheExistingFile)
{
    kembtest::ShortStallWindow ventana(500);
    // Ten bytes, then ten more every 1.5 windows: never a window without data, never a kilobyte in one.
    kembtest::DrippingServer goteo({0, 100000, 10, 750, std::nullopt});
    QFile viejo(destino());
    ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
    viejo.write("anterior");
    viejo.close();
    QElapsedTimer reloj;
    reloj.start();
    EXPECT_EQ(net::URLDownloadToFile(goteo.baseUrl() + "/imagen.jpg", destino(), 30000), net::kInetDownloadFailure);
    EXPECT_LT(reloj.elapsed(), 15000) << "stopped as stalled, not at the time limit";
    EXPECT_EQ(leer(destino()), "anterior");
    EXPECT_EQ(archivos(), QStringList{"lista.txt"});
}

// Two kilobytes a window keep a download going to its end.
TEST_F(UrlDownloadTest, ASlowDownloadThatKeepsMovingIsSaved)
{
    kembtest::ShortStallWindow ventana(1000);
    kembtest::DrippingServer lento({0, 3072, 256, 125, 3072});
    EXPECT_EQ(net::URLDownloadToFile(lento.baseUrl() + "/imagen.jpg", destino(), 30000), net::kS_OK);
    EXPECT_TRUE(leer(destino()) == kembtest::DrippingServer::body(3072));
}
