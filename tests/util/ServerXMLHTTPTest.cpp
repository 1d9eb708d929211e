#include "util/ServerXMLHTTP.h"

#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/vb/MsgBox.h"
#include "support/ConnectProxy.h"
#include "support/DrippingServer.h"
#include "support/ErrorNumber.h"
#include "support/HostileServer.h"
#include "support/HttpServer.h"
#include "support/MemoryGrowth.h"
#include "support/ModalDriver.h"
#include "support/ProxyEnvironment.h"
#include "support/ShortStallWindow.h"
#include "support/Watchdog.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using kembtest::HttpResponse;

namespace {

QUrl at(const kembtest::HttpServer& server, const QString& path)
{
    return QUrl(server.baseUrl() + path);
}

TEST(ServerXMLHTTPTest, AGetGivesStatusAndText)
{
    kembtest::HttpServer server;
    server.route("/a?x=1",
                 HttpResponse{200, "{\"a\":\"\xC3\xB1\"}", {{"Content-Type", "application/json"}}, true, false});
    ServerXMLHTTP http;
    http.open(QStringLiteral("GET"), at(server, "/a?x=1"));
    http.send();
    EXPECT_EQ(http.status(), 200);
    EXPECT_EQ(http.responseText(), QStringLiteral("{\"a\":\"ñ\"}"));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().method, "GET");
}

TEST(ServerXMLHTTPTest, TheCharsetOfTheAnswerDecodesIt)
{
    kembtest::HttpServer server;
    server.route("/latin",
                 HttpResponse{200, "A\xD1O", {{"Content-Type", "text/html; charset=ISO-8859-1"}}, true, false});
    server.route("/1252",
                 HttpResponse{200, "\x80", {{"Content-Type", "text/plain; charset=windows-1252"}}, true, false});
    ServerXMLHTTP http;
    http.open(QStringLiteral("GET"), at(server, "/latin"));
    http.send();
    EXPECT_EQ(http.responseText(), QStringLiteral("AÑO"));
    http.open(QStringLiteral("GET"), at(server, "/1252"));
    http.send();
    EXPECT_EQ(http.responseText(), QStringLiteral("€"));
}

TEST(ServerXMLHTTPTest, AnErrorStatusIsAnAnswer)
{
    kembtest::HttpServer server;
    ServerXMLHTTP http;
    http.open(QStringLiteral("GET"), at(server, "/falta"));
    http.send();
    EXPECT_EQ(http.status(), 404);
    EXPECT_EQ(http.responseText(), QStringLiteral("<html>No encontrado</html>"));
}

TEST(ServerXMLHTTPTest, EveryRequestReachesTheServer)
{
    kembtest::HttpServer server;
    server.route("/x", HttpResponse{200, "uno", {{"Cache-Control", "max-age=3600"}}, true, false});
    ServerXMLHTTP http;
    for (int i = 0; i < 2; ++i) {
        http.open(QStringLiteral("GET"), at(server, "/x"));
        http.send();
    }
    EXPECT_EQ(server.requestCount("/x"), 2);
}

// The request takes the proxy the environment names for an http address; a host only the proxy reaches is
// reached through it alone.
TEST(ServerXMLHTTPTest, TheProxyOfTheAddressIsUsed)
{
    const QString host = QStringLiteral("maestra.kemb.invalid");
    kembtest::HttpServer server;
    kembtest::ConnectProxy proxy({host});
    int n = 0;
    for (const kembtest::HttpProxyCase& c : kembtest::httpProxyCases(proxy.url().toLatin1(), host.toLatin1())) {
        SCOPED_TRACE(c.name);
        const kembtest::ProxyEnvironment environment(c.variables);
        const QString path = QStringLiteral("/ws/inicio%1.php").arg(++n);
        server.route(path, HttpResponse{200, "por el proxy", {}, true, false});
        QUrl url = at(server, path);
        url.setHost(host);
        const qsizetype before = proxy.requests().size();
        ServerXMLHTTP http;
        http.open(QStringLiteral("GET"), url);
        if (c.proxied) {
            EXPECT_EQ(kembtest::errorNumber([&] { http.send(); }), 0);
            EXPECT_EQ(http.responseText(), QStringLiteral("por el proxy"));
            EXPECT_EQ(proxy.requests().mid(before), QList<QByteArray>{"GET " + url.toEncoded() + " HTTP/1.1"});
        } else {
            EXPECT_EQ(kembtest::errorNumber([&] { http.send(); }), -2147012867);
            EXPECT_EQ(proxy.requests().size(), before);
        }
    }
}

TEST(ServerXMLHTTPTest, FailuresRaise)
{
    kembtest::HttpServer server;
    server.route("/cuelga", HttpResponse{200, "", {}, true, true});
    ServerXMLHTTP http;
    http.setTimeLimit(300);
    http.open(QStringLiteral("GET"), at(server, "/cuelga"));
    EXPECT_EQ(kembtest::errorNumber([&] { http.send(); }), -2147012894);
    EXPECT_EQ(http.status(), 0);

    http.open(QStringLiteral("GET"), QUrl(QStringLiteral("http://127.0.0.1:1/")));
    EXPECT_EQ(kembtest::errorNumber([&] { http.send(); }), -2147012867);
    EXPECT_EQ(http.status(), 0);

    http.open(QStringLiteral("GET"), QUrl(QStringLiteral("sin-esquema")));
    EXPECT_EQ(kembtest::errorNumber([&] { http.send(); }), -2147012891);
}

// An answer that ends before the length it declared is refused, not handed on as if it were whole; a whole one
// with the same declared length is taken.
TEST(ServerXMLHTTPTest, AnAnswerCutShortOfItsDeclaredLengthRaises)
{
    kembtest::HttpServer server;
    server.route("/corta", HttpResponse{200, "{\"a\":1", {{"Content-Length", "1000"}}, false, false});
    server.route("/entera", HttpResponse{200, QByteArray(1000, 'x'), {{"Content-Length", "1000"}}, false, false});
    ServerXMLHTTP http;
    http.open(QStringLiteral("GET"), at(server, "/corta"));
    try {
        http.send();
        ADD_FAILURE() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), -2147012866);
        EXPECT_EQ(e.Description(), QString("La conexión con el servidor terminó de forma anormal"));
    }
    EXPECT_EQ(http.status(), 0);
    EXPECT_TRUE(http.responseText().isEmpty());

    http.open(QStringLiteral("GET"), at(server, "/entera"));
    http.send();
    EXPECT_EQ(http.status(), 200);
    EXPECT_EQ(http.responseText(), QString(1000, 'x'));
}

} // namespace

namespace {

struct Desmedida {
    const char* nombre;
    kembtest::HostileServer::Answer respuesta;
};

// An answer without end, with or without a declared length, is refused once it is too long, and the memory
// held meanwhile stays small.
TEST(ServerXMLHTTPTest, AnAnswerWithoutEndIsRefused)
{
    const Desmedida casos[] = {
        {"sin largo", {std::nullopt, false}},
        {"en trozos", {std::nullopt, true}},
        {"mas largo que el declarado", {1000, true}},
    };
    for (const Desmedida& c : casos) {
        SCOPED_TRACE(c.nombre);
        kembtest::HostileServer server(c.respuesta);
        kembtest::MemoryGrowth memoria;
        ServerXMLHTTP http;
        http.setTimeLimit(5000);
        http.open(QStringLiteral("GET"), QUrl(server.baseUrl() + "/maestra"));
        EXPECT_EQ(kembtest::errorNumber([&] { http.send(); }), -2147024882);
        EXPECT_EQ(http.status(), 0);
        EXPECT_TRUE(http.responseText().isEmpty());
        EXPECT_LT(memoria.peak(), kembtest::growthLimit(64));
    }
}

} // namespace

// An answer that drips ends as one that outlasted the time limit, long before that limit.
TEST(ServerXMLHTTPTest, AnAnswerThatStallsEndsAsATimeOut)
{
    kembtest::ShortStallWindow ventana(500);
    kembtest::DrippingServer goteo({0, 100000, 10, 750, std::nullopt});
    ServerXMLHTTP http;
    http.setTimeLimit(30000);
    http.open(QStringLiteral("GET"), QUrl(goteo.baseUrl() + "/ws/inicio.php"));
    QElapsedTimer reloj;
    reloj.start();
    try {
        http.send();
        ADD_FAILURE() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), -2147012894);
        EXPECT_EQ(e.Description(), QString("Se agotó el tiempo de espera de la operación"));
    }
    EXPECT_LT(reloj.elapsed(), 15000) << "stopped as stalled, not at the time limit";
    EXPECT_EQ(http.status(), 0);
    EXPECT_TRUE(http.responseText().isEmpty());
}

namespace {

// A box that comes up while the request waits for its answer (a timer's own, or the run-time's box for an error that
// escaped a handler) takes a real Enter, and the request then hands back the answer that came meanwhile.
TEST(ServerXMLHTTPTest, ABoxShownDuringTheWaitClosesWithEnter)
{
    vb::App::setEXEName(QStringLiteral("kemb"));
    struct Caso {
        const char* nombre;
        std::function<void()> reloj;
        QString texto;
        QMessageBox::Icon icono;
        QString titulo;
    };
    const Caso casos[] = {
        {"a timer's box",
         [] { vb::MsgBox(QStringLiteral("Se acabó el turno"), vb::vbInformation, QStringLiteral("Turno")); },
         QStringLiteral("Se acabó el turno"), QMessageBox::Information, QStringLiteral("Turno")},
        {"an error escaping a handler", [] { throw vb::Error(11, QStringLiteral("División por cero")); },
         QStringLiteral("Se ha producido el error '11' en tiempo de ejecución:\r\n\r\nDivisión por cero"),
         QMessageBox::Critical, QStringLiteral("kemb")},
    };
    kembtest::HttpServer server;
    server.route("/lenta", [](const kembtest::HttpRequest&) {
        QThread::msleep(800);
        return HttpResponse{200, "respuesta", {}, true, false};
    });
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        kembtest::Watchdog limite(3000);
        QStringList vistas;
        kembtest::whenShown<QMessageBox>([&](QMessageBox* caja) {
            vistas << caja->text();
            EXPECT_EQ(caja->icon(), c.icono);
            EXPECT_EQ(caja->windowTitle(), c.titulo);
            EXPECT_EQ(caja->standardButtons(), QMessageBox::Ok);
            QTest::keyClick(caja, Qt::Key_Enter);
        });
        QTimer::singleShot(100, c.reloj);
        ServerXMLHTTP http;
        http.setTimeLimit(5000);
        http.open(QStringLiteral("GET"), at(server, "/lenta"));
        http.send();
        EXPECT_EQ(vistas, QStringList{c.texto});
        EXPECT_EQ(http.status(), 200);
        EXPECT_EQ(http.responseText(), QStringLiteral("respuesta"));
        EXPECT_FALSE(limite.fired());
    }
    vb::App::setEXEName(QString());
}

} // namespace
