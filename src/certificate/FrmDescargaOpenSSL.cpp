#include "certificate/FrmDescargaOpenSSL.h"

#include "global/ModGlobal.h"
#include "platform/net/Inet.h"
#include "platform/net/InetArchivo.h"
#include "platform/net/Site.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Process.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"
#include "platform/win/ShellApi.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kInstalador = QStringLiteral("openssl.exe");
const QString kEnEspera = QStringLiteral("...");

template <class T>
T* control(QWidget* parent, const char* name, const QRect& where)
{
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(where);
    return widget;
}

QPushButton* boton(QWidget* parent, const char* name, const QString& caption, const QRect& where)
{
    auto* button = control<QPushButton>(parent, name, where);
    button->setText(caption);
    return button;
}

} // namespace

FrmDescargaOpenSSL::FrmDescargaOpenSSL(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    design();
    connect(CmdExaminar, &QPushButton::clicked, this, &FrmDescargaOpenSSL::CmdExaminar_Click);
    connect(CmdAceptar, &QPushButton::clicked, this, &FrmDescargaOpenSSL::CmdAceptar_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &FrmDescargaOpenSSL::CmdCancelar_Click);
    connect(CmdDescargar, &QPushButton::clicked, this, &FrmDescargaOpenSSL::CmdDescargar_Click);
    connect(Inet1, &Inet::StateChanged, this, &FrmDescargaOpenSSL::Inet1_StateChanged);
}

void FrmDescargaOpenSSL::design()
{
    setObjectName(QStringLiteral("FrmDescargaOpenSSL"));
    setWindowTitle(QStringLiteral("No se encuentra OpenSSL"));
    setFixedSize(vb::twipsSize(7275, 2955));
    QPalette fondo = palette();
    fondo.setColor(QPalette::Window, Qt::white);
    setPalette(fondo);
    setAutoFillBackground(true);

    Label2 = control<QLabel>(this, "Label2", vb::twips(240, 240, 6975, 735));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setText(QStringLiteral("No se encuentra OpenSSL instalado. Si lo instaló, indique la ruta aqui debajo y "
                                   "luego presione \"Aceptar\". Si no lo instalo presione el boton \"Descargar\". O "
                                   "\"Cancelar\" para anular el proceso."));
    TxtRUta = control<QLineEdit>(this, "TxtRUta", vb::twips(360, 1080, 5535, 285));
    CmdExaminar = boton(this, "CmdExaminar", QStringLiteral("..."), vb::twips(6000, 1080, 495, 255));
    CmdCancelar = boton(this, "CmdCancelar", QStringLiteral("&Cancelar"), vb::twips(480, 1680, 1575, 375));
    CmdDescargar = boton(this, "CmdDescargar", QStringLiteral("&Descargar"), vb::twips(2640, 1680, 1575, 375));
    CmdAceptar = boton(this, "CmdAceptar", QStringLiteral("&Aceptar"), vb::twips(4800, 1680, 1575, 375));
    LblProceso = control<QLabel>(this, "LblProceso", vb::twips(120, 2280, 7095, 255));
    LblProceso->setAlignment(Qt::AlignCenter);
    LblProceso->setText(kEnEspera);
    ProgressBar1 = control<QProgressBar>(this, "ProgressBar1", vb::twips(0, 2640, 7335, 255));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    Inet1 = new Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
}

QString FrmDescargaOpenSSL::DireccionDescarga()
{
    return QStringLiteral("http://") + net::Site::host() + QStringLiteral("/qv/descarga/2655/");
}

void FrmDescargaOpenSSL::CmdExaminar_Click()
{
    vb::ResumeNext([this]() { TxtRUta->setText(win::SHBrowseForFolder(this, QStringLiteral("C:\\"))); });
}

void FrmDescargaOpenSSL::CmdAceptar_Click()
{
    oAceptar = true;
    oRutaSSL = vb::Trim(TxtRUta->text());
    done(QDialog::Accepted);
}

void FrmDescargaOpenSSL::CmdCancelar_Click()
{
    oAceptar = false;
    done(QDialog::Rejected);
}

void FrmDescargaOpenSSL::reject()
{
    if (CmdCancelar->isEnabled())
        CmdCancelar_Click();
}

void FrmDescargaOpenSSL::CmdDescargar_Click()
{
    vb::MsgBox(QStringLiteral("Este proceso descargara el instalador de OpenSSL y luego lo ejecutara para instalarlo."),
               vb::vbInformation, QStringLiteral("Aviso"));
    habilitarBotones(false);
    LblProceso->setText(QStringLiteral("Descargando... Espere por favor..."));
    LblProceso->repaint();
    // The installer goes to the temporary folder, the one the error log also uses.
    oRutaSSL = ModGlobal::CarpetaTemporalLog() + kInstalador;
    Inet1->setURL(DireccionDescarga());
    Inet1->Execute(QStringLiteral("GET"));
}

void FrmDescargaOpenSSL::Inet1_StateChanged(int State)
{
    if (State != Inet::icResponseCompleted && State != Inet::icError)
        return;
    try {
        // A transfer that fails before a response frees the window as any other download error does.
        if (State == Inet::icError)
            throw vb::Error(35750, Inet1->ResponseInfo());
        guardarInstalador();
        vb::Shell(oRutaSSL, vb::vbMinimizedFocus);
        LblProceso->setText(QStringLiteral("Ejecutando instalador..."));
        LblProceso->repaint();
        habilitarBotones(true);
        vb::MsgBox(QStringLiteral("Una vez que termine de instalarse, presione el boton aceptar."), vb::vbInformation,
                   QStringLiteral("Aviso al Operador"));
        ProgressBar1->setValue(0);
    } catch (const std::exception& e) {
        errorDescarga(e);
    }
}

// Writes the body whole in place of any earlier installer, and only for a successful response: an error
// page is never saved as the installer, and a failed transfer leaves the earlier file as it was.
void FrmDescargaOpenSSL::guardarInstalador()
{
    net::AvanceDescarga avance;
    avance.inicio = [this](int largo) {
        ProgressBar1->setValue(0);
        ProgressBar1->setMaximum(largo);
    };
    // The bar counts each new chunk rounded up to even, as the byte array's length taken as text gives;
    // the first chunk is not counted.
    avance.trozo = [this](qint64, qint64 siguiente) {
        ProgressBar1->setValue(ProgressBar1->value() + static_cast<int>((siguiente + 1) / 2 * 2));
    };
    net::GuardarRespuesta(*Inet1, oRutaSSL, QStringLiteral("instalador"), avance);
    QFile::setPermissions(oRutaSSL, QFile::permissions(oRutaSSL) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

void FrmDescargaOpenSSL::errorDescarga(const std::exception& e)
{
    vb::MsgBox(vb::toError(e).Description(), vb::vbCritical);
    vb::ResumeNext([this]() { Inet1->Cancel(); });
    ProgressBar1->setValue(0);
    // Back to idle: the label shows what it shows before any download, not a transfer that has ended.
    LblProceso->setText(kEnEspera);
    habilitarBotones(true);
}

void FrmDescargaOpenSSL::habilitarBotones(bool habilitar)
{
    CmdAceptar->setEnabled(habilitar);
    CmdCancelar->setEnabled(habilitar);
    CmdDescargar->setEnabled(habilitar);
}
