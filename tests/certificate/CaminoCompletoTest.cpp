// The assistant's whole road: the key and request made by "Obtener privada.key y clave.csr" with the real
// openssl, the request signed by the (test) tax authority into a certificate, and "Probar Certificado CRT"
// logging in with them.
#include "certificate/FrmCertificado.h"

#include "EntornoAsistente.h"

#include "certificate/ClickableLabel.h"
#include "platform/afip/TicketStore.h"
#include "platform/vb/Constants.h"
#include "support/FakeAfip.h"
#include "support/TestAuthority.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <memory>

using kembtest::EntornoAsistente;
using kembtest::FakeAfip;
using kembtest::Shown;
using kembtest::TestAuthority;

namespace {

class CaminoCompletoTest : public EntornoAsistente {
protected:
    void SetUp() override
    {
        EntornoAsistente::SetUp();
        ASSERT_TRUE(m_home.isValid());
        m_homeAnterior = qgetenv("HOME");
        qputenv("HOME", m_home.path().toUtf8());
        afip::TicketStore::setFolderOverride(m_home.filePath(QStringLiteral("tickets")));
        // The default OpenSSL place, as the set-up prepares it.
        QDir().mkpath(carpetaOpenssl());
        ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/openssl"), carpetaOpenssl() + QStringLiteral("openssl")));
    }

    void TearDown() override
    {
        afip::TicketStore::setFolderOverride(QString());
        qputenv("HOME", m_homeAnterior);
        EntornoAsistente::TearDown();
    }

    QString carpetaOpenssl() const { return m_home.path() + QStringLiteral("/OpenSSL/bin/"); }

    QTemporaryDir m_home;
    QByteArray m_homeAnterior;
};

} // namespace

TEST_F(CaminoCompletoTest, TheAssistantsKeyAndRequestBecomeACertificateThatPassesTheTest)
{
    TestAuthority autoridad;
    FakeAfip fake(autoridad);
    fake.setLastVoucher(4, 1, 57);
    FrmCertificado ventana;
    QTest::mouseClick(ventana.ChkModo[1], Qt::LeftButton);
    ventana.TxtCUIT->setText(QStringLiteral("20-12345678-6"));
    ventana.TxtPDV->setText(QStringLiteral("4"));

    operador.answerMsgBox(vb::vbNo);
    emit ventana.LblObtenerKey->clicked();
    ASSERT_TRUE(operador.allAnswered());
    ASSERT_EQ(ventana.TxtRutaKey->text(), carpetaOpenssl() + QStringLiteral("privada.key"));
    ASSERT_EQ(ventana.TxtRutaCsr->text(), carpetaOpenssl() + QStringLiteral("clave.csr"));

    // The tax authority signs the request outside the program; the user then picks the certificate.
    const QString crt = m_home.filePath(QStringLiteral("certificado.crt"));
    ASSERT_TRUE(TestAuthority::writeFile(crt, autoridad.signRequest(leer(ventana.TxtRutaCsr->text()))));
    ventana.TxtRutaCrt->setText(crt);
    ventana.TxtWSFE->setText(fake.wsfeUrl());
    ventana.TxtWSAA->setText(fake.wsaaUrl());

    operador.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_EQ(s.prompt, QStringLiteral("El Certificado CRT se valido correctamente!"));
        EXPECT_EQ(s.buttons, vb::vbInformation);
        EXPECT_EQ(s.title, QStringLiteral("Aviso al Operador"));
    });
    QTest::mouseClick(ventana.LblProbarCRT, Qt::LeftButton);
    EXPECT_EQ(fake.logins(), 1);
    EXPECT_EQ(fake.cuits(), QStringList{QStringLiteral("20123456786")});
}
