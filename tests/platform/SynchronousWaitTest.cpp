#include "platform/vb/SynchronousWait.h"

#include <QCloseEvent>
#include <QLineEdit>
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

TEST_F(SynchronousWaitTest, ACloseAskedForDuringTheWaitTakesEffectAfterIt)
{
    bool visibleTrasPedirlo = false;
    esperar(300, [this, &visibleTrasPedirlo]() {
        ventana.windowHandle()->close();
        ventana.windowHandle()->close();
        visibleTrasPedirlo = ventana.isVisible();
    });
    EXPECT_TRUE(visibleTrasPedirlo);
    EXPECT_EQ(ventana.cierres, 0);
    EXPECT_TRUE(ventana.isVisible()) << "not in the middle of the call that waited";
    QCoreApplication::processEvents();
    EXPECT_EQ(ventana.cierres, 1);
    EXPECT_FALSE(ventana.isVisible());
}
