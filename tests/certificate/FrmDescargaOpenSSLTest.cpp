#include "certificate/FrmDescargaOpenSSL.h"

#include "platform/net/Inet.h"
#include "platform/net/Site.h"
#include "platform/vb/Constants.h"
#include "support/DrippingServer.h"
#include "support/HttpServer.h"
#include "support/ModalDriver.h"
#include "support/ScriptedOperator.h"
#include "support/ShortStallWindow.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kRuta = "/qv/descarga/2655/";

kembtest::HttpResponse respuesta(int status, const QByteArray& body)
{
    kembtest::HttpResponse r;
    r.status = status;
    r.body = body;
    return r;
}

class DescargaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldTemp = qgetenv("TEMP");
        qputenv("TEMP", m_temp.path().toUtf8());
        net::Site::setOverride(m_server.hostPort());
    }
    void TearDown() override
    {
        net::Site::setOverride("");
        qputenv("TEMP", m_oldTemp);
    }

    QString instalador() const { return QDir(m_temp.path()).filePath("openssl.exe"); }
    QString marca() const { return QDir(m_temp.path()).filePath("instalado.txt"); }

    // A shell script standing in for the installer: it leaves a marker, and is padded to several chunks.
    QByteArray script() const
    {
        QByteArray body = "#!/bin/sh\necho listo > '" + marca().toUtf8() + "'\n";
        for (int i = 0; i < 40; ++i)
            body += "# relleno " + QByteArray(80, char('a' + i % 26)) + "\n";
        return body;
    }

    template <class T>
    T* child(const char* name)
    {
        T* found = m_form.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    bool botonesHabilitados()
    {
        return child<QPushButton>("CmdAceptar")->isEnabled() && child<QPushButton>("CmdCancelar")->isEnabled() &&
               child<QPushButton>("CmdDescargar")->isEnabled();
    }

    void escribir(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray leer(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Queues the answer to the notice "Descargar" shows first; the download's own boxes follow it.
    void avisoDeDescarga(kembtest::ScriptedOperator& op)
    {
        op.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
            EXPECT_EQ(s.prompt,
                      "Este proceso descargara el instalador de OpenSSL y luego lo ejecutara para instalarlo.");
            EXPECT_EQ(s.buttons, vb::vbInformation);
            EXPECT_EQ(s.title, "Aviso");
        });
    }

    // Presses "Descargar" and waits until the buttons are enabled again.
    void descargar()
    {
        QTest::mouseClick(child<QPushButton>("CmdDescargar"), Qt::LeftButton);
        EXPECT_FALSE(botonesHabilitados());
        EXPECT_EQ(child<QLabel>("LblProceso")->text(), "Descargando... Espere por favor...");
        EXPECT_EQ(m_form.oRutaSSL, instalador());
        ASSERT_TRUE(kembtest::waitUntil([this]() { return botonesHabilitados(); }));
    }

    QTemporaryDir m_temp;
    QByteArray m_oldTemp;
    kembtest::HttpServer m_server;
    FrmDescargaOpenSSL m_form;
};

void esperaError(kembtest::ScriptedOperator& op, const QString& texto)
{
    op.answerMsgBox(vb::vbOK, [texto](const kembtest::Shown& s) {
        EXPECT_EQ(s.prompt, texto);
        EXPECT_EQ(s.buttons, vb::vbCritical);
    });
}

} // namespace

TEST_F(DescargaTest, DesignOfTheWindow)
{
    EXPECT_EQ(m_form.windowTitle(), "No se encuentra OpenSSL");
    EXPECT_EQ(m_form.size(), QSize(485, 197));
    EXPECT_EQ(child<QLineEdit>("TxtRUta")->geometry(), QRect(24, 72, 369, 19));
    EXPECT_EQ(child<QPushButton>("CmdDescargar")->text(), "&Descargar");
    EXPECT_EQ(child<QPushButton>("CmdAceptar")->geometry(), QRect(320, 112, 105, 25));
    EXPECT_TRUE(child<QLabel>("Label2")->text().startsWith("No se encuentra OpenSSL instalado. Si lo instaló"));
    EXPECT_EQ(child<QLabel>("LblProceso")->text(), "...");
    EXPECT_NE(child<QProgressBar>("ProgressBar1"), nullptr);
    EXPECT_FALSE(m_form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(FrmDescargaOpenSSL::DireccionDescarga(), "http://" + m_server.hostPort() + kRuta);
}

TEST_F(DescargaTest, BrowsingFillsTheFolderAndCancellingEmptiesIt)
{
    kembtest::ScriptedOperator op;
    op.answerFolder("/opt/ssl").answerFolder("");
    QTest::mouseClick(child<QPushButton>("CmdExaminar"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("TxtRUta")->text(), "/opt/ssl");
    EXPECT_EQ(op.shown().back().title, "C:\\");
    QTest::mouseClick(child<QPushButton>("CmdExaminar"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("TxtRUta")->text(), "");
}

TEST_F(DescargaTest, AceptarAndCancelarHideTheWindowWithTheirAnswer)
{
    kembtest::whenShown<FrmDescargaOpenSSL>([](FrmDescargaOpenSSL* w) {
        w->findChild<QLineEdit*>("TxtRUta")->setText("  /opt/mi ssl  ");
        QTest::mouseClick(w->findChild<QPushButton*>("CmdAceptar"), Qt::LeftButton);
    });
    m_form.exec();
    EXPECT_FALSE(m_form.isVisible());
    EXPECT_TRUE(m_form.oAceptar);
    EXPECT_EQ(m_form.oRutaSSL, "/opt/mi ssl");

    kembtest::whenShown<FrmDescargaOpenSSL>([](FrmDescargaOpenSSL* w) {
        EXPECT_EQ(w->findChild<QLineEdit*>("TxtRUta")->text(), "  /opt/mi ssl  ");
        w->findChild<QLineEdit*>("TxtRUta")->setText("   ");
        QTest::mouseClick(w->findChild<QPushButton*>("CmdAceptar"), Qt::LeftButton);
    });
    m_form.exec();
    EXPECT_TRUE(m_form.oAceptar);
    EXPECT_EQ(m_form.oRutaSSL, "");

    kembtest::whenShown<FrmDescargaOpenSSL>(
        [](FrmDescargaOpenSSL* w) { QTest::mouseClick(w->findChild<QPushButton*>("CmdCancelar"), Qt::LeftButton); });
    m_form.exec();
    EXPECT_FALSE(m_form.oAceptar);

    m_form.oAceptar = true;
    kembtest::whenShown<FrmDescargaOpenSSL>([](FrmDescargaOpenSSL* w) { QTest::keyClick(w, Qt::Key_Escape); });
    m_form.exec();
    EXPECT_FALSE(m_form.oAceptar);
}

TEST_F(DescargaTest, TheInstallerIsWrittenWholeOverALongerOneAndStarted)
{
    const QByteArray body = script();
    ASSERT_GT(body.size(), 3 * 1024);
    m_server.route(kRuta, respuesta(200, body));
    escribir(instalador(), QByteArray(body.size() * 3, 'V'));

    kembtest::ScriptedOperator op;
    avisoDeDescarga(op);
    op.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
        EXPECT_EQ(s.prompt, "Una vez que termine de instalarse, presione el boton aceptar.");
        EXPECT_EQ(s.buttons, vb::vbInformation);
        EXPECT_EQ(s.title, "Aviso al Operador");
    });
    descargar();
    EXPECT_EQ(leer(instalador()), body);
    EXPECT_TRUE(QFileInfo(instalador()).isExecutable());
    EXPECT_EQ(child<QLabel>("LblProceso")->text(), "Ejecutando instalador...");
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_TRUE(kembtest::waitUntil([this]() { return QFile::exists(marca()); }));
    EXPECT_EQ(m_server.requestCount(kRuta), 1);
}

TEST_F(DescargaTest, AResponseWithoutContentLengthTakesTheErrorPath)
{
    kembtest::HttpResponse sinLargo = respuesta(200, script());
    sinLargo.sendContentLength = false;
    m_server.route(kRuta, sinLargo);
    kembtest::ScriptedOperator op;
    avisoDeDescarga(op);
    esperaError(op, "No coinciden los tipos");
    descargar();
    EXPECT_FALSE(QFile::exists(instalador()));
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_EQ(child<QLabel>("LblProceso")->text(), "...") << "the window is idle again, as before the download";
}

TEST_F(DescargaTest, AnErrorPageIsNeitherSavedNorStarted)
{
    escribir(instalador(), "instalador anterior");
    for (int estado : {404, 500}) {
        m_server.route(kRuta, respuesta(estado, script()));
        kembtest::ScriptedOperator op;
        avisoDeDescarga(op);
        esperaError(op, QString("No se pudo descargar el instalador: el servidor respondió %1.").arg(estado));
        descargar();
        EXPECT_EQ(leer(instalador()), "instalador anterior");
        EXPECT_EQ(child<QLabel>("LblProceso")->text(), "...");
    }
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(marca()));
}

TEST_F(DescargaTest, ATransferWithoutResponseFreesTheButtons)
{
    kembtest::HttpResponse hang;
    hang.hang = true;
    m_server.route(kRuta, hang);
    m_form.findChild<Inet*>("Inet1")->setRequestTimeout(1);
    kembtest::ScriptedOperator op;
    avisoDeDescarga(op);
    op.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
        EXPECT_FALSE(s.prompt.isEmpty());
        EXPECT_EQ(s.buttons, vb::vbCritical);
    });
    descargar();
    EXPECT_FALSE(QFile::exists(instalador()));
    EXPECT_EQ(child<QLabel>("LblProceso")->text(), "...");
}

TEST_F(DescargaTest, AFailedDownloadAfterAnInstalledOneShowsTheIdleWindow)
{
    m_server.route(kRuta, respuesta(200, script()));
    kembtest::ScriptedOperator op;
    avisoDeDescarga(op);
    op.answerMsgBox(vb::vbOK);
    descargar();
    ASSERT_EQ(child<QLabel>("LblProceso")->text(), "Ejecutando instalador...");

    m_server.route(kRuta, respuesta(404, script()));
    avisoDeDescarga(op);
    esperaError(op, "No se pudo descargar el instalador: el servidor respondió 404.");
    descargar();
    EXPECT_EQ(child<QLabel>("LblProceso")->text(), "...");
    EXPECT_TRUE(op.allAnswered());
}

// A server that declares the installer's length and drips it ten bytes at a time is left as stalled: the
// download ends as incomplete, nothing is started and the earlier installer stays as it was.
TEST_F(DescargaTest, ADownloadThatStallsEndsAsIncompleteAndKeepsNoPartialFile)
{
    kembtest::ShortStallWindow ventana(500);
    // Ten bytes, then ten more every 1.5 windows: never a window without data, never a kilobyte in one.
    kembtest::DrippingServer goteo({0, 100000, 10, 750, std::nullopt});
    net::Site::setOverride(goteo.hostPort());
    escribir(instalador(), "instalador anterior");
    kembtest::ScriptedOperator op;
    avisoDeDescarga(op);
    esperaError(op, "La descarga del instalador quedó incompleta: se recibieron 10 de 100000 bytes.");
    descargar();
    EXPECT_TRUE(op.allAnswered());
    EXPECT_EQ(leer(instalador()), "instalador anterior");
    EXPECT_EQ(QDir(m_temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"openssl.exe"});
    EXPECT_EQ(child<QLabel>("LblProceso")->text(), "...");
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), 0);
}
