// The article window while the master article service takes its time: keys pressed then are not acted on.
#include "articles/FrmArtAlta.h"

#include "articles/TablasArticulos.h"
#include "global/EntornoGlobal.h"
#include "platform/net/Site.h"
#include "support/HttpServer.h"
#include "support/ModalDriver.h"
#include "support/ScriptedOperator.h"
#include "support/UserClose.h"
#include "support/Watchdog.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {

const QString kAviso = QStringLiteral("/ws/inicio.php?opcion=InsCodigo&codigo=7790001&desc=FIDEOS");

class ArtAltaEspera : public kembtest::EntornoConBase {
protected:
    void SetUp() override
    {
        EntornoConBase::SetUp();
        if (IsSkipped())
            return;
        ModGlobal::gDB().gEsAdmin = true;
        kembtest::crearTablasArticulos(*base);
        base->exec("INSERT INTO TA_CONFIGURACION VALUES ('ArticulosPermitealtaAutomatica', 'SI', '', 'General', 0)");
        base->exec("INSERT INTO TA_CONFIGURACION VALUES ('ClasePrecioVenta', '1', '', 'General', 0)");
        // The notification of a new article answers after a while.
        servidor.route(kAviso, [](const kembtest::HttpRequest&) {
            QThread::msleep(1500);
            return kembtest::HttpResponse{200, "OK", {}, true, false};
        });
        net::Site::setOverride(servidor.hostPort());
    }
    void TearDown() override
    {
        net::Site::setOverride(QString());
        EntornoConBase::TearDown();
    }
    static QLineEdit* campo(FrmArtAlta& w, int indice)
    {
        return w.findChildren<QLineEdit*>(QStringLiteral("Txtfields")).at(indice);
    }

    kembtest::HttpServer servidor;
};

} // namespace

TEST_F(ArtAltaEspera, KeysPressedDuringTheNotificationAreNotActedOn)
{
    const std::pair<const char*, std::vector<Qt::Key>> casos[] = {
        {"F2 otra vez", {Qt::Key_F2}},
        {"F2 dos veces", {Qt::Key_F2, Qt::Key_F2}},
        {"Escape", {Qt::Key_Escape}},
        {"F2 y Escape", {Qt::Key_F2, Qt::Key_Escape}},
    };
    for (const auto& [nombre, teclas] : casos) {
        SCOPED_TRACE(nombre);
        base->exec("DELETE FROM V_MA_ARTICULOS");
        base->exec("DELETE FROM V_MA_PRECIOS");
        const int avisosAntes = servidor.requestCount(kAviso);
        kembtest::ScriptedOperator op;
        FrmArtAlta w;
        w.pIdLista = QStringLiteral("L1");
        campo(w, 0)->setText(QStringLiteral("7790001"));
        campo(w, 1)->setText(QStringLiteral("FIDEOS"));
        campo(w, 2)->setText(QStringLiteral("10"));
        int pulsadas = 0;
        kembtest::whenShown<FrmArtAlta>([&teclas, &pulsadas](FrmArtAlta* d) {
            // Pressed while the window waits for the service.
            QTimer::singleShot(500, d, [d, &teclas, &pulsadas]() {
                for (const Qt::Key tecla : teclas) {
                    QTest::keyClick(campo(*d, 1), tecla);
                    ++pulsadas;
                }
            });
            QTest::keyClick(campo(*d, 1), Qt::Key_F2);
        });
        EXPECT_EQ(w.exec(), QDialog::Accepted);
        QTest::qWait(100);
        EXPECT_EQ(pulsadas, static_cast<int>(teclas.size()));
        EXPECT_TRUE(w.pAceptar);
        EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
        EXPECT_EQ(base->exec("SELECT COUNT(*) FROM V_MA_ARTICULOS").rows.at(0).at(0).toString(), QStringLiteral("1"));
        EXPECT_EQ(base->exec("SELECT COUNT(*) FROM V_MA_PRECIOS").rows.at(0).at(0).toString(), QStringLiteral("1"));
        EXPECT_EQ(servidor.requestCount(kAviso), avisosAntes + 1);
    }
}

// The window closed by its user while the notification is under way is not taken as a cancellation: the handler that
// waited accepts it on its own, and the held close then finds the window already closed.
TEST_F(ArtAltaEspera, AUserCloseDuringTheNotificationGivesWayToTheAcceptance)
{
    kembtest::Watchdog limite(10000);
    kembtest::ScriptedOperator op;
    FrmArtAlta w;
    w.pIdLista = QStringLiteral("L1");
    campo(w, 0)->setText(QStringLiteral("7790001"));
    campo(w, 1)->setText(QStringLiteral("FIDEOS"));
    campo(w, 2)->setText(QStringLiteral("10"));
    QSignalSpy rechazos(&w, &QDialog::rejected);
    kembtest::whenShown<FrmArtAlta>([](FrmArtAlta* d) {
        QTimer::singleShot(500, d, [d]() { kembtest::closeAsTheUser(*d); });
        QTest::keyClick(campo(*d, 1), Qt::Key_F2);
    });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    QTest::qWait(100);
    EXPECT_TRUE(w.pAceptar);
    EXPECT_EQ(rechazos.count(), 0);
    EXPECT_EQ(w.CodArtNuevo, QStringLiteral("1"));
    EXPECT_EQ(servidor.requestCount(kAviso), 1);
}
