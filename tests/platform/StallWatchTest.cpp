#include "platform/net/StallWatch.h"

#include "platform/net/BoundedReply.h"
#include "platform/net/Network.h"
#include "support/DrippingServer.h"
#include "support/ShortStallWindow.h"
#include "support/WaitUntil.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using kembtest::DrippingServer;

namespace {

// A window of this length stands for the minute; the paces below are set against it.
constexpr int kVentana = 1000;

struct Transferencia {
    bool terminada = false;
    bool estancada = false;
    qint64 recibidos = 0;
    QByteArray cuerpo;
};

Transferencia traer(const DrippingServer& servidor)
{
    std::unique_ptr<QNetworkReply> reply(net::manager().get(QNetworkRequest(QUrl(servidor.baseUrl() + "/archivo"))));
    Transferencia t;
    net::BoundedReply bounded(*reply, 1024 * 1024, [&t](const QByteArray& piece) {
        t.cuerpo += piece;
        return true;
    });
    QObject::connect(&bounded, &net::BoundedReply::finished, [&t]() { t.terminada = true; });
    kembtest::waitUntil([&t]() { return t.terminada; }, 30000);
    t.estancada = bounded.stalled();
    t.recibidos = bounded.received();
    return t;
}

} // namespace

TEST(StallWatch, TheRuleIsAKilobyteInAMinute)
{
    EXPECT_EQ(net::StallWatch::MinBytes, 1024);
    EXPECT_EQ(net::StallWatch::windowMs(), 60000);
    {
        kembtest::ShortStallWindow ventana(kVentana);
        EXPECT_EQ(net::StallWatch::windowMs(), kVentana);
    }
    EXPECT_EQ(net::StallWatch::windowMs(), 60000);
}

// A server that drips, or that says nothing at all, is left after one window with fewer than a kilobyte.
TEST(StallWatch, ATransferThatBringsLessThanAKilobyteInTheWindowIsStopped)
{
    struct Caso {
        const char* nombre;
        DrippingServer::Pace ritmo;
    };
    const Caso casos[] = {
        {"un byte a la vez, largo declarado", {0, 100000, 1, kVentana / 5, std::nullopt}},
        {"un byte a la vez, sin largo", {0, std::nullopt, 1, kVentana / 5, std::nullopt}},
        {"casi un kilobyte por ventana", {0, 100000, 100, kVentana / 10, std::nullopt}},
        {"sin respuesta", {3600 * 1000, std::nullopt, 1, kVentana, std::nullopt}},
    };
    kembtest::ShortStallWindow ventana(kVentana);
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        DrippingServer servidor(c.ritmo);
        const Transferencia t = traer(servidor);
        ASSERT_TRUE(t.terminada);
        EXPECT_TRUE(t.estancada);
        EXPECT_LT(t.recibidos, 2 * net::StallWatch::MinBytes);
    }
}

// A slow transfer that keeps moving goes on to its end, also when its first byte comes late in the window.
TEST(StallWatch, ASlowTransferThatKeepsMovingIsNotStopped)
{
    struct Caso {
        const char* nombre;
        DrippingServer::Pace ritmo;
    };
    // Rates in the window's terms: 2 KB a window is 2 KB a minute. The late first byte comes at 0.6 of the
    // window, and a kilobyte takes 0.6 more: counted from the request, the first window would hold only 768 bytes.
    const Caso casos[] = {
        {"dos kilobytes por ventana", {0, 4096, 256, kVentana / 8, 4096}},
        {"un kilobyte cada 0,4 ventanas, sin largo", {0, std::nullopt, 256, kVentana / 10, 3072}},
        {"primer byte tardío", {kVentana * 6 / 10, 3072, 256, kVentana * 15 / 100, 3072}},
    };
    kembtest::ShortStallWindow ventana(kVentana);
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        DrippingServer servidor(c.ritmo);
        const Transferencia t = traer(servidor);
        ASSERT_TRUE(t.terminada);
        EXPECT_FALSE(t.estancada);
        EXPECT_EQ(t.cuerpo.size(), *c.ritmo.bodyBytes);
        EXPECT_TRUE(t.cuerpo == DrippingServer::body(*c.ritmo.bodyBytes));
    }
}

// A window thread kept busy for longer than the window by other work has the data of that time still waiting in
// its queue: it counts, and a moving transfer is not taken for a stalled one.
TEST(StallWatch, AWindowThreadBusyForLongerThanTheWindowStopsNothing)
{
    kembtest::ShortStallWindow ventana(kVentana / 2);
    DrippingServer servidor({0, 6144, 256, kVentana / 20, 6144});
    QTimer::singleShot(kVentana / 10, []() { QThread::msleep(2 * kVentana); });
    const Transferencia t = traer(servidor);
    ASSERT_TRUE(t.terminada);
    EXPECT_FALSE(t.estancada);
    EXPECT_EQ(t.cuerpo.size(), 6144);
}
