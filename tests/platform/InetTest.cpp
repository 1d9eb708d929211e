#include "platform/net/Inet.h"

#include "support/ConnectProxy.h"
#include "support/HostileServer.h"
#include "support/HttpServer.h"
#include "support/MemoryGrowth.h"
#include "support/ProxyEnvironment.h"
#include "support/WaitUntil.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

int finalState(Inet& inet, const QString& url, int timeoutMs = 10000)
{
    QSignalSpy states(&inet, &Inet::StateChanged);
    inet.setURL(url);
    inet.Execute("GET");
    if (!states.wait(timeoutMs))
        return -1;
    return states.last().first().toInt();
}

} // namespace

TEST(Inet, ACompletedResponseHandsOutHeadersAndTheBodyInChunks)
{
    kembtest::HttpServer server;
    const QByteArray body(2500, 'z');
    server.route("/archivo", kembtest::HttpResponse{200, body, {{"X-Prueba", "uno"}}});
    Inet inet;
    ASSERT_EQ(finalState(inet, server.baseUrl() + "/archivo"), Inet::icResponseCompleted);
    EXPECT_EQ(inet.StatusCode(), 200);
    EXPECT_EQ(inet.GetHeader("content-LENGTH"), "2500");
    EXPECT_EQ(inet.GetHeader("x-prueba"), "uno");
    EXPECT_EQ(inet.GetHeader("No-Existe"), "");
    EXPECT_EQ(inet.GetChunk(1024).size(), 1024);
    EXPECT_EQ(inet.GetChunk(1024).size(), 1024);
    EXPECT_EQ(inet.GetChunk(1024), QByteArray(452, 'z'));
    EXPECT_TRUE(inet.GetChunk(1024).isEmpty());
    EXPECT_EQ(server.requests().first().method, "GET");
}

TEST(Inet, AnErrorStatusIsStillACompletedResponse)
{
    kembtest::HttpServer server;
    Inet inet;
    ASSERT_EQ(finalState(inet, server.baseUrl() + "/falta"), Inet::icResponseCompleted);
    EXPECT_EQ(inet.StatusCode(), 404);
    EXPECT_FALSE(inet.GetChunk(1024).isEmpty());
}

TEST(Inet, NoResponseEndsInTheErrorState)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    Inet inet;
    EXPECT_EQ(finalState(inet, QString("http://127.0.0.1:%1/x").arg(port)), Inet::icError);
    EXPECT_FALSE(inet.ResponseInfo().isEmpty());
    EXPECT_EQ(inet.StatusCode(), 0);

    kembtest::HttpServer server;
    kembtest::HttpResponse hang;
    hang.hang = true;
    server.route("/lento", hang);
    inet.setRequestTimeout(1);
    EXPECT_EQ(finalState(inet, server.baseUrl() + "/lento"), Inet::icError);
}

TEST(Inet, CancelStopsTheRequestWithoutAStateChange)
{
    kembtest::HttpServer server;
    kembtest::HttpResponse hang;
    hang.hang = true;
    server.route("/lento", hang);
    Inet inet;
    QSignalSpy states(&inet, &Inet::StateChanged);
    inet.setURL(server.baseUrl() + "/lento");
    inet.Execute("GET");
    EXPECT_TRUE(inet.StillExecuting());
    inet.Cancel();
    EXPECT_FALSE(inet.StillExecuting());
    EXPECT_FALSE(states.wait(300));
}

// The request takes the proxy the environment names for an http address; a host only the proxy reaches is
// reached through it alone.
TEST(Inet, TheProxyOfTheAddressIsUsed)
{
    const QString host = QStringLiteral("sitio.kemb.invalid");
    kembtest::HttpServer server;
    kembtest::ConnectProxy proxy({host});
    int n = 0;
    for (const kembtest::HttpProxyCase& c : kembtest::httpProxyCases(proxy.url().toLatin1(), host.toLatin1())) {
        SCOPED_TRACE(c.name);
        const kembtest::ProxyEnvironment environment(c.variables);
        const QString path = QStringLiteral("/archivo%1").arg(++n);
        server.route(path, kembtest::HttpResponse{200, "por el proxy", {}});
        QUrl url(server.baseUrl() + path);
        url.setHost(host);
        const qsizetype before = proxy.requests().size();
        Inet inet;
        const int state = finalState(inet, url.toString());
        if (c.proxied) {
            EXPECT_EQ(state, Inet::icResponseCompleted);
            EXPECT_EQ(inet.GetChunk(1024), QByteArray("por el proxy"));
            EXPECT_EQ(proxy.requests().mid(before), QList<QByteArray>{"GET " + url.toEncoded() + " HTTP/1.1"});
        } else {
            EXPECT_EQ(state, Inet::icError);
            EXPECT_EQ(proxy.requests().size(), before);
        }
    }
}

TEST(Inet, ABodyLongerThanItsDeclaredLengthEndsInTheErrorState)
{
    kembtest::HostileServer hostil({1000, true});
    Inet inet;
    kembtest::MemoryGrowth memoria;
    EXPECT_EQ(finalState(inet, hostil.baseUrl() + "/modulo.exe"), Inet::icError);
    EXPECT_EQ(inet.ResponseInfo(), QStringLiteral("La respuesta del servidor es más larga que la declarada."));
    EXPECT_EQ(inet.StatusCode(), 0);
    EXPECT_TRUE(inet.GetChunk(1024).isEmpty());
    EXPECT_LT(memoria.peak(), kembtest::growthLimit(64));
}

// A body without end is kept on disk as it arrives, not in memory.
TEST(Inet, ABodyWithoutEndHoldsLittleMemory)
{
    kembtest::HostileServer hostil({std::nullopt, false});
    Inet inet;
    QSignalSpy states(&inet, &Inet::StateChanged);
    kembtest::MemoryGrowth memoria;
    inet.setURL(hostil.baseUrl() + "/instalador.exe");
    inet.Execute("GET");
    EXPECT_TRUE(
        kembtest::waitUntil([&] { return hostil.sent() > 300 * kembtest::kMegabyte || !states.isEmpty(); }, 60000));
    EXPECT_TRUE(states.isEmpty());
    EXPECT_TRUE(inet.StillExecuting());
    EXPECT_LT(memoria.peak(), kembtest::growthLimit(64));
    inet.Cancel();
}

// A body without a declared length is cut at MaxBodyBytes, and the text says it went past that limit, as it
// does for a declared length beyond the limit; past a shorter declared length it says so instead.
TEST(Inet, ABodyStoppedAtTheLimitSaysItPassedTheLimit)
{
    struct Caso {
        const char* nombre;
        kembtest::HostileServer::Answer respuesta;
        QString texto;
    };
    const Caso casos[] = {
        {"sin largo", {std::nullopt, false}, "La respuesta del servidor superó el límite de 512 MB."},
        {"declarado mayor que el límite",
         {Inet::MaxBodyBytes + 1, true},
         "La respuesta del servidor superó el límite de 512 MB."},
        {"declarado igual al límite",
         {Inet::MaxBodyBytes, true},
         "La respuesta del servidor es más larga que la declarada."},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        kembtest::HostileServer hostil(c.respuesta);
        Inet inet;
        EXPECT_EQ(finalState(inet, hostil.baseUrl() + "/instalador.exe", 100000), Inet::icError);
        EXPECT_EQ(inet.ResponseInfo(), c.texto);
        EXPECT_GE(hostil.sent(), Inet::MaxBodyBytes);
    }
}
