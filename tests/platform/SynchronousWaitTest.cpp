#include "platform/vb/SynchronousWait.h"

#include "platform/vb/Constants.h"
#include "platform/vb/MsgBox.h"
#include "support/ModalDriver.h"
#include "support/UserClose.h"
#include "support/Watchdog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// A window that counts the closes it was asked for.
class Ventana : public QWidget {
public:
    Ventana()
    {
        auto* layout = new QVBoxLayout(this);
        campo = new QLineEdit(this);
        boton = new QPushButton(QStringLiteral("Alta"), this);
        layout->addWidget(campo);
        layout->addWidget(boton);
    }
    QLineEdit* campo;
    QPushButton* boton;
    int cierres = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++cierres;
        QWidget::closeEvent(event);
    }
};

// Runs `during` from a timer inside a wait that ends after `ms`.
void esperar(int ms, const std::function<void()>& during)
{
    vb::SynchronousWait wait;
    QTimer::singleShot(ms / 3, during);
    QTimer::singleShot(ms, &wait, &vb::SynchronousWait::quit);
    wait.exec();
}

class SynchronousWaitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ventana.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
        ventana.activateWindow();
        ventana.campo->setFocus();
    }
    Ventana ventana;
};

} // namespace

TEST_F(SynchronousWaitTest, InputDuringTheWaitIsNeitherTakenNorKeptForLater)
{
    QSignalSpy clics(ventana.boton, &QPushButton::clicked);
    int vueltas = 0;
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&vueltas]() { ++vueltas; });
    reloj.start(10);
    esperar(300, [this]() {
        QTest::keyClicks(ventana.campo, QStringLiteral("abc"));
        QTest::mouseClick(ventana.boton, Qt::LeftButton);
        QTest::keyClick(ventana.boton, Qt::Key_Space);
    });
    EXPECT_GE(vueltas, 5) << "timers run while it waits";
    QCoreApplication::processEvents();
    QTest::qWait(50);
    EXPECT_EQ(ventana.campo->text(), QString());
    EXPECT_EQ(clics.count(), 0);

    QTest::keyClicks(ventana.campo, QStringLiteral("abc"));
    QTest::mouseClick(ventana.boton, Qt::LeftButton);
    EXPECT_EQ(ventana.campo->text(), QStringLiteral("abc")) << "after the wait input is taken again";
    EXPECT_EQ(clics.count(), 1);
}

TEST_F(SynchronousWaitTest, AUsersCloseDuringTheWaitTakesEffectAfterIt)
{
    bool visibleTrasPedirlo = false;
    esperar(300, [this, &visibleTrasPedirlo]() {
        kembtest::closeAsTheUser(ventana);
        kembtest::closeAsTheUser(ventana);
        visibleTrasPedirlo = ventana.isVisible();
    });
    EXPECT_TRUE(visibleTrasPedirlo);
    EXPECT_EQ(ventana.cierres, 0);
    EXPECT_TRUE(ventana.isVisible()) << "not in the middle of the call that waited";
    QTest::qWait(0);
    EXPECT_EQ(ventana.cierres, 1) << "both asked for the same close";
    EXPECT_FALSE(ventana.isVisible());
}

TEST_F(SynchronousWaitTest, AWindowOpenedDuringTheWaitTakesInputAsUsual)
{
    Ventana nueva;
    QSignalSpy clicsNueva(nueva.boton, &QPushButton::clicked);
    QSignalSpy clicsVieja(ventana.boton, &QPushButton::clicked);
    esperar(300, [this, &nueva]() {
        nueva.show();
        QTest::keyClicks(nueva.campo, QStringLiteral("abc"));
        QTest::mouseClick(nueva.boton, Qt::LeftButton);
        QTest::keyClicks(ventana.campo, QStringLiteral("xyz"));
        QTest::mouseClick(ventana.boton, Qt::LeftButton);
        kembtest::closeAsTheUser(nueva);
    });
    EXPECT_EQ(nueva.campo->text(), QStringLiteral("abc"));
    EXPECT_EQ(clicsNueva.count(), 1);
    EXPECT_EQ(nueva.cierres, 1) << "its user's close is not held";
    EXPECT_FALSE(nueva.isVisible());
    EXPECT_EQ(ventana.campo->text(), QString()) << "the window that was waiting still takes none";
    EXPECT_EQ(clicsVieja.count(), 0);
}

// The program's own closes of the window that waits take effect at once: Qt closes a dialog through its QWindow,
// whose close event is spontaneous, but it is not the user's.
TEST(SynchronousWaitCierres, TheProgramsOwnClosesTakeEffectAtOnce)
{
    struct Caso {
        const char* nombre;
        std::function<void(QDialog&)> cerrar;
        int resultado;
    };
    const Caso casos[] = {
        {"close()", [](QDialog& d) { d.close(); }, QDialog::Rejected},
        {"done(7)", [](QDialog& d) { d.done(7); }, 7},
        {"accept()", [](QDialog& d) { d.accept(); }, QDialog::Accepted},
        {"reject()", [](QDialog& d) { d.reject(); }, QDialog::Rejected},
        {"QWindow::close()", [](QDialog& d) { d.windowHandle()->close(); }, QDialog::Rejected},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        kembtest::Watchdog limite(5000);
        QDialog d;
        bool visibleTrasCerrar = true;
        bool esperaTerminada = false;
        kembtest::whenShown<QDialog>([&](QDialog*) {
            esperar(300, [&]() {
                c.cerrar(d);
                visibleTrasCerrar = d.isVisible();
            });
            esperaTerminada = true;
        });
        EXPECT_EQ(d.exec(), c.resultado);
        EXPECT_FALSE(visibleTrasCerrar);
        EXPECT_TRUE(esperaTerminada);
    }
}

// A user's close of the window that waits is carried out once the handler that waited has returned: not in the
// loop of a box the handler shows after the wait, nor when a wait nested in the first one ends.
TEST(SynchronousWaitCierres, AUsersCloseWaitsForTheHandlerThatWaitedToReturn)
{
    struct Caso {
        const char* nombre;
        bool anidada;
        bool aceptar;
        int resultado;
    };
    const Caso casos[] = {
        {"the handler accepts after a box", false, true, QDialog::Accepted},
        {"the handler ends without closing", false, false, QDialog::Rejected},
        {"closed during a nested wait", true, false, QDialog::Rejected},
        {"closed during a nested wait, then accepted", true, true, QDialog::Accepted},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        kembtest::Watchdog limite(8000);
        QDialog d;
        QSignalSpy rechazos(&d, &QDialog::rejected);
        bool visibleTrasEspera = false;
        bool visibleConLaCaja = false;
        bool visibleAlTerminar = false;
        QString textoDeLaCaja;
        kembtest::whenShown<QDialog>([&](QDialog*) {
            esperar(400, [&]() {
                if (c.anidada)
                    esperar(150, [&d]() { kembtest::closeAsTheUser(d); });
                else
                    kembtest::closeAsTheUser(d);
            });
            visibleTrasEspera = d.isVisible();
            kembtest::whenShown<QMessageBox>([&](QMessageBox* caja) {
                textoDeLaCaja = caja->text();
                EXPECT_EQ(caja->windowTitle(), QStringLiteral("Aviso"));
                EXPECT_EQ(caja->standardButtons(), QMessageBox::Ok);
                visibleConLaCaja = d.isVisible();
                QTest::keyClick(caja, Qt::Key_Enter);
            });
            vb::MsgBox(QStringLiteral("Respuesta recibida"), vb::vbInformation, QStringLiteral("Aviso"));
            if (c.aceptar)
                d.accept();
            visibleAlTerminar = d.isVisible();
        });
        EXPECT_EQ(d.exec(), c.resultado);
        EXPECT_EQ(textoDeLaCaja, QStringLiteral("Respuesta recibida"));
        EXPECT_TRUE(visibleTrasEspera);
        EXPECT_TRUE(visibleConLaCaja) << "the held close is not carried out behind the box";
        EXPECT_EQ(visibleAlTerminar, !c.aceptar);
        EXPECT_EQ(rechazos.count(), c.aceptar ? 0 : 1);
        EXPECT_FALSE(d.isVisible());
    }
}

// A window deleted after its close was held is simply gone when the handler returns; the other held close is still
// carried out.
TEST(SynchronousWaitCierres, AWindowDeletedMeanwhileIsLeftAlone)
{
    auto* borrada = new Ventana;
    Ventana otra;
    for (QWidget* w : {static_cast<QWidget*>(borrada), static_cast<QWidget*>(&otra)}) {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    QEventLoop bucle;
    QTimer::singleShot(0, [&]() {
        esperar(300, [&]() {
            kembtest::closeAsTheUser(*borrada);
            kembtest::closeAsTheUser(otra);
        });
        delete borrada;
        QTimer::singleShot(50, &bucle, &QEventLoop::quit);
    });
    bucle.exec();
    EXPECT_EQ(otra.cierres, 1);
    EXPECT_FALSE(otra.isVisible());
}
