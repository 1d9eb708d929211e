#include "platform/vb/Application.h"

#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "support/ModalDriver.h"
#include "support/ScriptedOperator.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using kembtest::ScriptedOperator;
using kembtest::Shown;

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { vb::App::setEXEName(QStringLiteral("kemb")); }
    void TearDown() override { vb::App::setEXEName(QString()); }

    static std::function<void(const Shown&)> cajaDelError(const QString& texto)
    {
        return [texto](const Shown& s) {
            EXPECT_EQ(s.prompt, texto);
            EXPECT_EQ(s.buttons, vb::vbCritical);
            EXPECT_EQ(s.title, QStringLiteral("kemb"));
        };
    }
};

TEST_F(ApplicationTest, TheRunningApplicationIsTheRunTimesOwn)
{
    EXPECT_NE(dynamic_cast<vb::Application*>(QCoreApplication::instance()), nullptr);
}

// A run-time error thrown by a handler inside a modal window's loop is shown, and the window and the program
// go on: the same button works again and the window closes normally.
TEST_F(ApplicationTest, AnUncaughtRunTimeErrorIsShownAndTheProgramGoesOn)
{
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, cajaDelError(QStringLiteral("Se ha producido el error '6' en tiempo de "
                                                          "ejecución:\r\n\r\nDesbordamiento")));
    op.answerMsgBox(vb::vbOK, cajaDelError(QStringLiteral("Se ha producido el error '3704' en tiempo de "
                                                          "ejecución:\r\n\r\nLa operación no está permitida")));
    QDialog ventana;
    auto* boton = new QPushButton(QStringLiteral("Calcular"), &ventana);
    int pulsado = 0;
    QObject::connect(boton, &QPushButton::clicked, [&pulsado]() {
        ++pulsado;
        if (pulsado == 1)
            throw vb::Error(6, QStringLiteral("Desbordamiento"));
        throw vb::Error(3704, QStringLiteral("La operación no está permitida"));
    });
    kembtest::whenShown<QDialog>([boton](QDialog* d) {
        QTest::mouseClick(boton, Qt::LeftButton);
        QTest::mouseClick(boton, Qt::LeftButton);
        QTimer::singleShot(0, d, [d]() { d->done(QDialog::Accepted); });
    });
    EXPECT_EQ(ventana.exec(), QDialog::Accepted);
    EXPECT_EQ(pulsado, 2);
    EXPECT_TRUE(op.allAnswered());
}

TEST_F(ApplicationTest, AnErrorFromATimerIsShownToo)
{
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, cajaDelError(QStringLiteral("Se ha producido el error '9' en tiempo de "
                                                          "ejecución:\r\n\r\nEl subíndice está fuera del intervalo")));
    QEventLoop bucle;
    QTimer::singleShot(0, []() { throw vb::Error(9, QStringLiteral("El subíndice está fuera del intervalo")); });
    QTimer::singleShot(20, &bucle, &QEventLoop::quit);
    bucle.exec();
    EXPECT_TRUE(op.allAnswered());
}

} // namespace
