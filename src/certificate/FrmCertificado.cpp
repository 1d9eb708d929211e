#include "certificate/FrmCertificado.h"

#include "certificate/ClickableLabel.h"
#include "certificate/DireccionesAfip.h"
#include "certificate/FrmDescargaOpenSSL.h"
#include "certificate/ModDescargaIMG.h"
#include "certificate/RespaldoClaves.h"
#include "certificate/UbicacionOpenssl.h"
#include "global/ModGlobal.h"
#include "platform/afip/ClsFacturaElectronica.h"
#include "platform/dorvik/ClsEspera.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/net/Inet.h"
#include "platform/net/Site.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Operator.h"
#include "platform/vb/Process.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextLines.h"
#include "platform/vb/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <limits>

#include <functional>

// The window's pictures live in the core library, whose resources must be registered by name.
static void registrarRecursos()
{
    Q_INIT_RESOURCE(certificate);
}

namespace {

const QColor kBlanco(0xFF, 0xFF, 0xFF);
const QColor kAmarilloClaro(0xFF, 0xFF, 0xC0);
const QColor kAzulEnlace(0x00, 0x00, 0xFF);

constexpr auto kPieDePagina = "Pelvaro | Tel. (011) 0000-0000 | www.pelvaro.invalid";
constexpr auto kPaginaGuia = "/qv/asistente-para-generar-el-certificado-digital-con-quor-vela-kembrumo/";
constexpr auto kEnlacePublicidad = "https://bit.ly/pelvaro-kemb";
constexpr auto kArchivoConfiguracion = "cfgelectronica.txt";
constexpr int kIntervaloImagenes = 10000;
constexpr int kMostrarNormal = 6;
constexpr int kTrozo = 1024;

void pintarFondo(QWidget* control, const QColor& color)
{
    QPalette paleta = control->palette();
    paleta.setColor(QPalette::Window, color);
    control->setPalette(paleta);
    control->setAutoFillBackground(true);
}

void ponerFuente(QWidget* control, double puntos)
{
    QFont fuente(QStringLiteral("Calibri"));
    fuente.setPointSizeF(puntos);
    control->setFont(fuente);
}

template <class Control>
Control* colocar(Control* control, const char* nombre, const QRect& lugar)
{
    control->setObjectName(QString::fromLatin1(nombre));
    control->setGeometry(lugar);
    return control;
}

QLabel* etiqueta(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar,
                 Qt::Alignment alineacion = Qt::AlignLeft | Qt::AlignTop)
{
    auto* control = colocar(new QLabel(texto, padre), nombre, lugar);
    control->setAlignment(alineacion);
    control->setWordWrap(true);
    return control;
}

ClickableLabel* enlace(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar,
                       Qt::Alignment alineacion = Qt::AlignLeft | Qt::AlignTop)
{
    auto* control = colocar(new ClickableLabel(padre), nombre, lugar);
    control->setText(texto);
    control->setAlignment(alineacion);
    control->setWordWrap(true);
    QFont fuente = control->font();
    fuente.setUnderline(true);
    control->setFont(fuente);
    QPalette paleta = control->palette();
    paleta.setColor(QPalette::WindowText, kAzulEnlace);
    control->setPalette(paleta);
    return control;
}

QLineEdit* caja(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar)
{
    return colocar(new QLineEdit(texto, padre), nombre, lugar);
}

QPushButton* boton(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar)
{
    return colocar(new QPushButton(texto, padre), nombre, lugar);
}

QCheckBox* casilla(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar)
{
    auto* control = colocar(new QCheckBox(texto, padre), nombre, lugar);
    // A button fills its background with the button colour; the design paints the whole box in its own.
    control->setBackgroundRole(QPalette::Window);
    pintarFondo(control, kBlanco);
    return control;
}

QFrame* recuadro(QWidget* padre, const char* nombre, const QRect& lugar)
{
    auto* control = colocar(new QFrame(padre), nombre, lugar);
    control->setFrameStyle(QFrame::NoFrame);
    pintarFondo(control, kBlanco);
    return control;
}

ClickableLabel* imagen(QWidget* padre, const char* nombre, const QRect& lugar)
{
    auto* control = colocar(new ClickableLabel(padre), nombre, lugar);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
}

QString recortado(const QLineEdit* caja)
{
    return vb::Trim(caja->text());
}

} // namespace

FrmCertificado::FrmCertificado(QWidget* parent) : QWidget(parent, Qt::Window)
{
    registrarRecursos();
    crearControles();
    conectarEventos();
}

void FrmCertificado::crearControles()
{
    using vb::twips;
    setWindowTitle(QStringLiteral("Asistente para Generar el Certificado Digital"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowIcon(QIcon(QStringLiteral(":/certificate/kemb.png")));
    setFixedSize(vb::twipsSize(7005, 7380));
    pintarFondo(this, kBlanco);
    ponerFuente(this, 9);

    // The help boxes come first so that the fields they frame stay in front of them.
    PicAyuda[0] = recuadro(this, "PicAyuda(0)", twips(0, 1080, 6975, 615));
    LblPicAyuda[0] = etiqueta(PicAyuda[0], "LblPicAyuda(0)", QStringLiteral("Primero seleccione el Modo"),
                              twips(0, 60, 6975, 255), Qt::AlignHCenter | Qt::AlignTop);
    PicAyuda[1] = recuadro(this, "PicAyuda(1)", twips(0, 1560, 6975, 735));
    LblPicAyuda[1] = etiqueta(PicAyuda[1], "LblPicAyuda(1)",
                              QStringLiteral("Ahora ingrese el CUIT y el Punto de Venta y presione Listo."),
                              twips(0, 60, 6975, 255), Qt::AlignHCenter | Qt::AlignTop);
    Label8 = etiqueta(PicAyuda[1], "Label8", QStringLiteral("CUIT"), twips(480, 360, 855, 255));
    Label9 = etiqueta(PicAyuda[1], "Label9", QStringLiteral("Punto de Venta"), twips(3840, 360, 1335, 255));
    LblListo = enlace(PicAyuda[1], "LblListo", QStringLiteral("Listo!"), twips(6480, 360, 435, 255));
    PicAyuda[2] = recuadro(this, "PicAyuda(2)", twips(0, 3720, 6975, 495));
    LblPicAyuda[2] = etiqueta(PicAyuda[2], "LblPicAyuda(2)", QStringLiteral("Presione Aquí >>"),
                              twips(1440, 120, 1455, 255), Qt::AlignRight | Qt::AlignTop);
    LblObtenerKey = enlace(PicAyuda[2], "LblObtenerKey", QStringLiteral("Obtener privada.key y clave.csr"),
                           twips(3000, 120, 2895, 255));
    PicAyuda[3] = recuadro(this, "PicAyuda(3)", twips(0, 5040, 6975, 735));
    LblPicAyuda[3] =
        etiqueta(PicAyuda[3], "LblPicAyuda(3)",
                 QStringLiteral("Listo! Ahora debe generar el Certificado CRT siguiendo el siguiente instructivo >>"),
                 twips(120, 60, 6735, 390), Qt::AlignHCenter | Qt::AlignTop);
    LblAyuda =
        enlace(PicAyuda[3], "LblAyuda", QStringLiteral("Ayuda en Linea. Guia para generar el certificado digital..."),
               twips(120, 450, 6735, 225), Qt::AlignHCenter | Qt::AlignTop);

    // Wider than drawn on Windows: Carlito's metrics need a few more pixels than the design's 5565 twips, and the
    // title must not lose its last word; the box stops where "Cerrar Ayuda" begins.
    Label4 = etiqueta(this, "Label4", QStringLiteral("Asistente para Generar el Certificado Digital"),
                      twips(600, 120, 5880, 390));
    ponerFuente(Label4, 15.75);
    Label3 = etiqueta(this, "Label3",
                      QStringLiteral("Este proceso le ayudara en la obtención de los archivos .key y .csr, que son "
                                     "necesarios para obtener el certificado.crt para la facturación electrónica."),
                      twips(240, 600, 6375, 495));
    ChkModo[0] = casilla(this, "ChkModo(0)", QStringLiteral("Producción"), twips(1440, 1440, 1335, 195));
    // Two pixels wider than drawn on Windows, so that Carlito's "Homologación" ends before the box does.
    ChkModo[1] = casilla(this, "ChkModo(1)", QStringLiteral("Homologación"), twips(3720, 1440, 1365, 195));
    TxtCUIT = caja(this, "TxtCUIT", QString(), twips(1440, 1920, 1575, 285));
    TxtPDV = caja(this, "TxtPDV", QString(), twips(5280, 1920, 735, 285));
    Label1 = etiqueta(this, "Label1", QStringLiteral("URL WSFE"), twips(480, 2280, 855, 255));
    TxtWSFE = caja(this, "TxtWSFE", DireccionesAfip::kWsfeProduccion, twips(1440, 2280, 4575, 285));
    Label2 = etiqueta(this, "Label2", QStringLiteral("URL WSAA"), twips(480, 2640, 855, 255));
    TxtWSAA = caja(this, "TxtWSAA", DireccionesAfip::kWsaaProduccion, twips(1440, 2640, 4575, 285));
    Label5 = etiqueta(this, "Label5", QStringLiteral("Ruta .KEY"), twips(480, 3000, 855, 255));
    TxtRutaKey = caja(this, "TxtRutaKey", QString(), twips(1440, 3000, 4575, 285));
    CmdBuscarCRT[0] = boton(this, "CmdBuscarCRT(0)", QStringLiteral("..."), twips(6120, 3000, 375, 255));
    Label6 = etiqueta(this, "Label6", QStringLiteral("Ruta .CSR"), twips(480, 3360, 855, 255));
    TxtRutaCsr = caja(this, "TxtRutaCsr", QString(), twips(1440, 3360, 4575, 285));
    Label7 = etiqueta(this, "Label7", QStringLiteral("Ruta .CRT"), twips(480, 4320, 855, 255));
    TxtRutaCrt = caja(this, "TxtRutaCrt", QString(), twips(1440, 4320, 4575, 285));
    CmdBuscarCRT[1] = boton(this, "CmdBuscarCRT(1)", QStringLiteral("..."), twips(6120, 4320, 375, 255));
    LblProbarCRT = enlace(this, "LblProbarCRT", QStringLiteral("Probar Certificado CRT"), twips(4080, 4680, 1875, 225));
    CmdAceptar = boton(this, "CmdAceptar", QStringLiteral("Aceptar"), twips(5760, 5790, 1095, 255));
    LblCerrarAyuda = enlace(this, "LblCerrarAyuda", QStringLiteral("Cerrar Ayuda"), twips(6480, 0, 615, 495));
    LblCerrarAyuda->hide();
    // One pixel taller than drawn on Windows: a line of Carlito needs 15 pixels; the strip below starts at 6360.
    Label10 = etiqueta(this, "Label10", QString::fromLatin1(kPieDePagina), twips(360, 6120, 6285, 225),
                       Qt::AlignHCenter | Qt::AlignTop);
    PicPublicidad = imagen(this, "PicPublicidad", twips(0, 6360, 6975, 975));
    PicAux = imagen(this, "PicAux", twips(0, 6360, 6975, 975));
    PicAux->setPixmap(QPixmap(QStringLiteral(":/certificate/PicAux.png")));
    PicAux->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Inet1 = new Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
}

void FrmCertificado::conectarEventos()
{
    for (int i = 0; i < static_cast<int>(ChkModo.size()); ++i)
        connect(ChkModo[i], &QCheckBox::toggled, this, [this, i]() { ChkModo_Click(i); });
    for (int i = 0; i < static_cast<int>(CmdBuscarCRT.size()); ++i)
        connect(CmdBuscarCRT[i], &QPushButton::clicked, this, [this, i]() { CmdBuscarCRT_Click(i); });
    connect(CmdAceptar, &QPushButton::clicked, this, &FrmCertificado::CmdAceptar_Click);
    connect(LblListo, &ClickableLabel::clicked, this, &FrmCertificado::LblListo_Click);
    connect(LblCerrarAyuda, &ClickableLabel::clicked, this, &FrmCertificado::LblCerrarAyuda_Click);
    connect(LblAyuda, &ClickableLabel::clicked, this, &FrmCertificado::LblAyuda_Click);
    connect(LblProbarCRT, &ClickableLabel::clicked, this, &FrmCertificado::LblProbarCRT_Click);
    connect(Timer1, &QTimer::timeout, this, &FrmCertificado::Timer1_Timer);
    connect(PicAux, &ClickableLabel::clicked, this, &FrmCertificado::PicAux_Click);
    connect(PicPublicidad, &ClickableLabel::clicked, this, &FrmCertificado::PicPublicidad_Click);
    connect(Inet1, &Inet::StateChanged, this, &FrmCertificado::Inet1_StateChanged);
    connect(LblObtenerKey, &ClickableLabel::clicked, this, &FrmCertificado::LblObtenerKey_Click);
}

void FrmCertificado::setVisible(bool visible)
{
    if (visible && !m_cargado) {
        m_cargado = true;
        if (const QScreen* pantalla = screen())
            move(pantalla->availableGeometry().center() - rect().center());
        Form_Load();
    }
    QWidget::setVisible(visible);
}

QString FrmCertificado::carpetaImagenes() const
{
    ClsUtilidades& funciones = ModGlobal::gFunciones();
    QString temporal = vb::Environ(QStringLiteral("TEMP"));
    if (vb::Trim(temporal).isEmpty())
        temporal = ModGlobal::gEntorno().CarpetaTemporal();
    // A level that cannot be created leaves the pictures undownloaded; the assistant works on without them.
    QString carpeta = funciones.AgregarBarra(temporal) + QStringLiteral("imagenes");
    QDir().mkdir(carpeta);
    carpeta = funciones.AgregarBarra(carpeta) + vb::App::EXEName();
    QDir().mkdir(carpeta);
    return carpeta;
}

void FrmCertificado::Form_Load()
{
    const QString carpeta = carpetaImagenes();
    LeerArhcivoWeb(carpeta);
    ModDescargaIMG::MostrarImagenSiguiente(PicPublicidad, carpeta);
    Timer1->setInterval(kIntervaloImagenes);
    Timer1->start();
    RutaConfiguracion =
        ModGlobal::gFunciones().AgregarBarra(vb::App::Path()) + QString::fromLatin1(kArchivoConfiguracion);
    if (ModGlobal::ExisteArchivo(RutaConfiguracion)) {
        leerConfiguracion();
        AyudaActiva = true;
        MostrarAyuda(0, false);
        LblCerrarAyuda->show();
    }
}

void FrmCertificado::leerConfiguracion()
{
    const QStringList lineas = vb::ReadTextLines(RutaConfiguracion);
    for (int i = 0; i < lineas.size(); ++i) {
        const QString& linea = lineas[i];
        switch (i) {
        case 0:
            TxtCUIT->setText(linea);
            break;
        case 1:
            TxtPDV->setText(linea);
            break;
        case 2:
            TxtRutaKey->setText(linea);
            break;
        case 3:
            if (vb::Trim(linea).compare(QLatin1String("H"), Qt::CaseInsensitive) == 0)
                ChkModo[1]->setChecked(true);
            else
                ChkModo[0]->setChecked(true);
            break;
        case 4:
            TxtRutaCsr->setText(linea);
            break;
        default:
            break;
        }
    }
}

void FrmCertificado::ChkModo_Click(int Index)
{
    if (!ChkModo[Index]->isChecked())
        return;
    if (Index == 1) {
        TxtWSFE->setText(DireccionesAfip::kWsfeHomologacion);
        TxtWSAA->setText(DireccionesAfip::kWsaaHomologacion);
        ChkModo[0]->setChecked(false);
    } else {
        TxtWSFE->setText(DireccionesAfip::kWsfeProduccion);
        TxtWSAA->setText(DireccionesAfip::kWsaaProduccion);
        ChkModo[1]->setChecked(false);
    }
    if (AyudaActiva) {
        MostrarAyuda(0, true);
        MostrarAyuda(1, false);
    }
}

void FrmCertificado::CmdAceptar_Click()
{
    GrabarDatos();
    close();
}

void FrmCertificado::CrearArchivo(const QString& Archivo, const QString& Linea, bool Nuevo)
{
    QFile archivo(Archivo);
    if (archivo.open(QIODevice::WriteOnly | (Nuevo ? QIODevice::Truncate : QIODevice::Append)))
        archivo.write(vb::toAnsi(Linea + QStringLiteral("\r\n")));
    vb::DoEvents();
}

void FrmCertificado::GrabarDatos()
{
    const QStringList lineas = {recortado(TxtCUIT), recortado(TxtPDV), recortado(TxtRutaKey),
                                ChkModo[1]->isChecked() ? QStringLiteral("H") : QStringLiteral("P"),
                                recortado(TxtRutaCsr)};
    // The lines go to a temporary file beside the settings file, which replaces it only once every line
    // was written: a write that fails half way leaves the earlier settings whole.
    // Unbuffered, so that a short write shows in the count each write returns.
    QSaveFile archivo(RutaConfiguracion);
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    bool completo = true;
    for (const QString& linea : lineas) {
        const QByteArray datos = vb::toAnsi(linea + QStringLiteral("\r\n"));
        completo = completo && archivo.write(datos) == datos.size();
        vb::DoEvents();
    }
    if (completo)
        archivo.commit();
    else
        archivo.cancelWriting();
}

void FrmCertificado::CmdBuscarCRT_Click(int Index)
{
    QString ruta;
    if (Index == 1) {
        PExaminar(ruta, QStringLiteral("CERTIFICADOS (*.CRT)|*.CRT"));
        if (!ruta.isEmpty())
            TxtRutaCrt->setText(ruta);
    } else {
        PExaminar(ruta, QStringLiteral("CLAVE PRIVADA (*.KEY)|*.KEY"));
        if (!ruta.isEmpty())
            TxtRutaKey->setText(ruta);
    }
}

void FrmCertificado::PExaminar(QString& Ruta, const QString& Filtro)
{
    Ruta = vb::currentOperator()
               .openFile(this, QStringLiteral("Seleccionar la Base de Datos"), Filtro)
               .value_or(QString());
}

void FrmCertificado::MostrarAyuda(int Indice, bool Ocultar)
{
    QFrame* recuadro = PicAyuda.at(Indice);
    if (Ocultar) {
        pintarFondo(recuadro, kBlanco);
        recuadro->setFrameStyle(QFrame::NoFrame);
        LblPicAyuda.at(Indice)->hide();
    } else {
        pintarFondo(recuadro, kAmarilloClaro);
        recuadro->setFrameStyle(QFrame::Box | QFrame::Plain);
        LblPicAyuda.at(Indice)->show();
        recuadro->raise();
    }
    if (Indice == 0) {
        for (QCheckBox* modo : ChkModo)
            pintarFondo(modo, Ocultar ? kBlanco : kAmarilloClaro);
        recuadro->setVisible(!Ocultar);
        for (QCheckBox* modo : ChkModo)
            modo->raise();
    } else if (Indice == 1) {
        if (Ocultar) {
            LblListo->hide();
        } else {
            TxtCUIT->raise();
            TxtPDV->raise();
            LblListo->show();
        }
    }
}

void FrmCertificado::LblListo_Click()
{
    for (int i = 0; i < static_cast<int>(PicAyuda.size()); ++i)
        MostrarAyuda(i, true);
    MostrarAyuda(2, false);
}

void FrmCertificado::LblCerrarAyuda_Click()
{
    for (int i = 0; i < static_cast<int>(PicAyuda.size()); ++i)
        MostrarAyuda(i, true);
    AyudaActiva = false;
    LblCerrarAyuda->hide();
}

void FrmCertificado::LblAyuda_Click()
{
    ModGlobal::gEntorno().AbrirDocumento(0, QString(), net::Site::baseUrl() + QString::fromLatin1(kPaginaGuia),
                                         QString(), QString(), kMostrarNormal);
}

namespace {

// The point of sale as a 32-bit integer, rounded half to even as the run-time converts; false when it does not fit.
bool enteroDe(double valor, int& entero)
{
    const double redondeado = std::nearbyint(valor);
    if (!(redondeado >= std::numeric_limits<int>::min() && redondeado <= std::numeric_limits<int>::max()))
        return false;
    entero = static_cast<int>(redondeado);
    return true;
}

// The busy cursor over the whole program while it lives: a request to the services may take up to its time limit.
class CursorOcupado {
public:
    CursorOcupado() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorOcupado() { QApplication::restoreOverrideCursor(); }
    CursorOcupado(const CursorOcupado&) = delete;
    CursorOcupado& operator=(const CursorOcupado&) = delete;
};

// The CUIT's digits as a number; false when the text is not one.
bool cuitDe(const QString& texto, double& cuit)
{
    static const QRegularExpression soloDigitos(QStringLiteral("^[0-9]+$"));
    if (!soloDigitos.match(texto).hasMatch())
        return false;
    cuit = texto.toDouble();
    return true;
}

} // namespace

void FrmCertificado::LblProbarCRT_Click()
{
    const QString titulo = QStringLiteral("Aviso al Operador");
    if (vb::Trim(TxtPDV->text()).isEmpty()) {
        vb::MsgBox(QStringLiteral("Debe informar el Punto de Venta dado de alta."), vb::vbCritical, titulo);
        return;
    }
    const QString cuit = vb::Trim(vb::Replace(TxtCUIT->text(), QStringLiteral("-"), QString()));
    if (cuit.isEmpty()) {
        vb::MsgBox(QStringLiteral("Debe informar el número de CUIT."), vb::vbCritical, titulo);
        return;
    }
    if (vb::Trim(TxtRutaCrt->text()).isEmpty()) {
        vb::MsgBox(QStringLiteral("Debe informar la ruta del Certificado CRT obtenido."), vb::vbCritical, titulo);
        return;
    }
    // Texts that are no number would stop the program at the conversion; they are reported instead.
    int puntoDeVenta = 0;
    if (!enteroDe(ModGlobal::gFunciones().TextoANumero(vb::Trim(TxtPDV->text())).toDouble(), puntoDeVenta)) {
        vb::MsgBox(QStringLiteral("El Punto de Venta no es válido."), vb::vbCritical, titulo);
        return;
    }
    double numeroCuit = 0;
    if (!cuitDe(cuit, numeroCuit)) {
        vb::MsgBox(QStringLiteral("El número de CUIT no es válido."), vb::vbCritical, titulo);
        return;
    }
    QString mensaje;
    if (CRTValido(puntoDeVenta, numeroCuit, TxtRutaCrt->text(), TxtRutaKey->text(), mensaje))
        vb::MsgBox(QStringLiteral("El Certificado CRT se valido correctamente!"), vb::vbInformation, titulo);
    else
        vb::MsgBox(mensaje, vb::vbCritical, titulo);
}

bool FrmCertificado::CRTValido(int PtoVta, double Cuit, const QString& RutaCrt, const QString& RutaKey,
                               QString& Mensaje)
{
    const CursorOcupado ocupado;
    ClsFacturaElectronica cliente;
    cliente.setCuitEmisor(Cuit);
    // The addresses of the mode chosen (or as edited), not always the production ones.
    cliente.setUrlWsfe(vb::Trim(TxtWSFE->text()));
    double numero = 0;
    if (cliente.Autenticar(RutaCrt, RutaKey, vb::Trim(TxtWSAA->text())) && cliente.UltimoComprobante(PtoVta, 1, numero))
        return true;
    Mensaje = cliente.UltimoError();
    return false;
}

void FrmCertificado::LeerArhcivoWeb(const QString& CarpetaImagenes)
{
    ClsEspera& espera = ModGlobal::gEspera();
    espera.MostrarEspera(QStringLiteral("Cargando"), 0);
    espera.TextosEspera(0, QStringLiteral("Cargando"), QStringLiteral("Verificando configuración"),
                        QStringLiteral("Espere por favor..."));
    bool fallo = false;
    ModDescargaIMG::DescargarImagenes(CarpetaImagenes, fallo, QString());
    espera.OcultarEspera();
    if (fallo) {
        PicPublicidad->hide();
        PicAux->show();
    }
}

void FrmCertificado::Timer1_Timer()
{
    if (PicAux->isVisibleTo(this))
        return;
    ModDescargaIMG::MostrarImagenSiguiente(PicPublicidad, carpetaImagenes());
}

void FrmCertificado::PicAux_Click()
{
    ModGlobal::gEntorno().AbrirDocumento(0, QString(), net::Site::baseUrl() + QLatin1Char('/'), QString(), QString(),
                                         kMostrarNormal);
}

void FrmCertificado::PicPublicidad_Click()
{
    ModGlobal::gEntorno().AbrirDocumento(0, QString(), QString::fromLatin1(kEnlacePublicidad), QString(), QString(),
                                         kMostrarNormal);
}

void FrmCertificado::Inet1_StateChanged(int State)
{
    if (State != Inet::icResponseCompleted)
        return;
    // Only a success answer is saved, whole and in place of any earlier file: an error page never is, and a
    // write that fails half way leaves the earlier file as it was.
    const int estado = Inet1->StatusCode();
    const QString nombre = Inet1->URL().mid(Inet1->URL().lastIndexOf(QLatin1Char('/')) + 1);
    if (estado < 200 || estado >= 300 || nombre.isEmpty())
        return;
    QSaveFile archivo(ModGlobal::gFunciones().AgregarBarra(vb::App::Path()) + nombre);
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    bool completo = true;
    for (QByteArray trozo = Inet1->GetChunk(kTrozo); !trozo.isEmpty(); trozo = Inet1->GetChunk(kTrozo))
        completo = completo && archivo.write(trozo) == trozo.size();
    if (completo)
        archivo.commit();
    else
        archivo.cancelWriting();
}

namespace {

constexpr auto kClave = "privada.key";
constexpr auto kPedido = "clave.csr";
constexpr auto kPesosCuit = "54327654321";

// Characters that cmd.exe or /bin/sh act on inside the generated command line (quotes end the subject's
// argument, the rest chain, redirect, expand or escape): a CUIT carrying one would run as a command.
bool tieneCaracteresDeComando(const QString& texto)
{
    static const QString especiales = QStringLiteral("\"'&|<>^%$`;()\\");
    for (const QChar c : texto)
        if (especiales.contains(c) || c.category() == QChar::Other_Control)
            return true;
    return false;
}

// Reads the exit code of a started command once a second until it has ended, letting window events run.
void esperarProceso(std::int64_t proceso)
{
    const std::intptr_t manejador = vb::OpenProcess(vb::PROCESS_QUERY_INFORMATION, false, proceso);
    if (manejador == 0)
        return;
    std::uint32_t codigo = vb::STILL_ACTIVE;
    bool leido = true;
    do {
        leido = vb::GetExitCodeProcess(manejador, &codigo);
        vb::DoEvents();
        vb::Sleep(1000);
    } while (leido && codigo == vb::STILL_ACTIVE);
    vb::CloseHandle(manejador);
}

// The folder without the executable's name when it ends with it. Only a final name goes: elsewhere the
// name may be a folder's own ("OpenSSL" in $HOME/OpenSSL/bin, where the executable is "openssl").
QString sinEjecutable(const QString& carpeta)
{
    const QRegularExpression nombre(QStringLiteral("[\\\\/]") +
                                        QRegularExpression::escape(UbicacionOpenssl::Ejecutable()) + QLatin1Char('$'),
                                    QRegularExpression::CaseInsensitiveOption);
    return QString(carpeta).remove(nombre);
}

} // namespace

void FrmCertificado::LblObtenerKey_Click()
{
    QString mensaje;
    QString rutaKey;
    QString rutaCsr;
    const bool generado = GenerarClave(mensaje, rutaKey, rutaCsr);
    if (generado) {
        if (vb::MsgBox(QStringLiteral("Se han generado los archivos CLAVE.CSR Y PRIVADA.KEY\r\n"
                                      "¿Desea ver el instructivo para obtener el Certificado CRT?"),
                       vb::vbYesNo + vb::vbInformation, QStringLiteral("Aviso al operador")) == vb::vbYes)
            LblAyuda_Click();
        TxtRutaKey->setText(rutaKey);
        TxtRutaCsr->setText(rutaCsr);
    } else if (!mensaje.isEmpty()) {
        // Without a message the error dialog the user answered was the report already.
        vb::MsgBox(mensaje, vb::vbCritical, QStringLiteral("Aviso al Operador"));
    }
    if (AyudaActiva) {
        if (generado)
            for (int i = 0; i < static_cast<int>(PicAyuda.size()); ++i)
                MostrarAyuda(i, true);
        MostrarAyuda(3, false);
    }
}

bool FrmCertificado::GenerarClave(QString& MensajeError, QString& RutaKey, QString& RutaCsr)
{
    ClsUtilidades& funciones = ModGlobal::gFunciones();
    ClsEspera& espera = ModGlobal::gEspera();
    // One statement under the error action: false when the answer was to leave.
    const auto paso = [&](const std::function<void()>& sentencia) {
        return vb::RunStatement(sentencia, [&](const vb::Error& error) {
                   espera.OcultarEspera();
                   return funciones.ManejarError(error, QStringLiteral("GenerarClave"));
               }) == vb::Flow::Next;
    };
    const auto detener = [&](const QString& mensaje) {
        espera.OcultarEspera();
        MensajeError = mensaje;
        return false;
    };

    espera.MostrarEspera(QStringLiteral("Cargando"), 0);
    const QString cuit = vb::Replace(TxtCUIT->text(), QStringLiteral("-"), QString(), vb::Compare::Text);
    espera.TextosEspera(0, QStringLiteral("Verificando datos..."), QStringLiteral("Procesando"));
    if (vb::Trim(cuit).isEmpty())
        return detener(QStringLiteral("Debe informar el CUIT"));
    QString cuitValidado = vb::Trim(cuit);
    if (!ValidaCuit(cuitValidado))
        return detener(QStringLiteral("Debe informar el CUIT o CUIT Incorrecto"));
    if (recortado(TxtWSAA).isEmpty())
        return detener(QStringLiteral("Debe informar la URL WSAA"));
    if (recortado(TxtWSFE).isEmpty())
        return detener(QStringLiteral("Debe informar la URL WSFE"));

    const QString ejecutable = UbicacionOpenssl::Ejecutable();
    QString carpeta;
    for (;;) {
        espera.MostrarEspera(QStringLiteral("Cargando.."), 0);
        if (ExisteOpenssl(carpeta)) {
            carpeta = sinEjecutable(carpeta);
            break;
        }
        espera.OcultarEspera();
        FrmDescargaOpenSSL& descarga = descargaOpenssl();
        descarga.exec();
        if (!descarga.oAceptar) {
            MensajeError = QStringLiteral("Proceso Cancelado.");
            return false;
        }
        if (descarga.oRutaSSL.isEmpty())
            continue;
        carpeta = descarga.oRutaSSL;
        const QString enBin = funciones.AgregarBarra(carpeta) + QStringLiteral("bin");
        if (!ModGlobal::ExisteArchivo(funciones.AgregarBarra(carpeta) + ejecutable)) {
            if (!ModGlobal::ExisteArchivo(funciones.AgregarBarra(enBin) + ejecutable))
                return detener(
                    QStringLiteral("El archivo no existe en el directorio seleccionado. Se cancelara el proceso."));
            carpeta = enBin;
        }
        espera.MostrarEspera(QStringLiteral("Cargando.."), 0);
        break;
    }
    if (vb::Trim(carpeta).isEmpty())
        return detener(QStringLiteral("No se indico la ruta del OpenSSL. Se cancelara el proceso."));

    // Every file name is joined to the folder through AgregarBarra: a folder typed without its final
    // separator must not make the existence tests look for "binprivada.key".
    const QString enCarpeta = funciones.AgregarBarra(carpeta);
    // The earlier key and request are moved aside, so that the existence tests pass only for files this run
    // made; a run that fails puts them back, and the user stays on the pair the path boxes name.
    // A pair that cannot be moved aside would be written over: that stops the generation, whatever the answer.
    RespaldoClaves anteriores(enCarpeta);
    try {
        anteriores.Respaldar();
    } catch (const vb::Error& error) {
        return detener(error.Description());
    }

    espera.TextosEspera(0, QStringLiteral("Generando certificados."), QString::fromLatin1(kClave));
    if (!paso([&]() {
            ejecutarComandos(enCarpeta + QStringLiteral("GeneraKey.cmd"), carpeta,
                             QStringLiteral("openssl genrsa -out privada.key 2048"));
        }))
        return false;
    if (!ModGlobal::ExisteArchivo(enCarpeta + QString::fromLatin1(kClave)))
        return detener(QStringLiteral("No se genero el certificado privada.key"));
    RutaKey = enCarpeta + QString::fromLatin1(kClave);

    espera.TextosEspera(0, QStringLiteral("Generando certificados."), QString::fromLatin1(kPedido));
    const QString organizacion =
        vb::Left(vb::Replace(QStringLiteral("EMPRESA"), QStringLiteral(" "), QStringLiteral("_")), 15);
    const QString orden = QStringLiteral("openssl req -new -key privada.key -subj \"/C=AR/O=") + organizacion +
                          QStringLiteral("/CN=FACTURACION/serialNumber=CUIT ") + cuit +
                          QStringLiteral("\" -out clave.csr");
    if (!paso([&]() { ejecutarComandos(enCarpeta + QStringLiteral("GeneraCSR.cmd"), carpeta, orden); }))
        return false;
    if (!ModGlobal::ExisteArchivo(enCarpeta + QString::fromLatin1(kPedido)))
        return detener(QStringLiteral("No se genero el certificado clave.csr"));
    RutaCsr = enCarpeta + QString::fromLatin1(kPedido);
    anteriores.Confirmar();
    espera.OcultarEspera();
    return true;
}

void FrmCertificado::ejecutarComandos(const QString& Archivo, const QString& Carpeta, const QString& Orden)
{
    CrearArchivo(Archivo, QStringLiteral("c: ") + Carpeta, true);
    CrearArchivo(Archivo, QStringLiteral("cd ") + Carpeta, false);
    CrearArchivo(Archivo, Orden, false);
    esperarProceso(vb::Shell(Archivo, vb::vbNormalNoFocus));
}

bool FrmCertificado::ValidaCuit(QString& Cuit)
{
    const bool seguro = !tieneCaracteresDeComando(Cuit);
    Cuit = ModGlobal::gFunciones().QuitarCaracteres(Cuit, QStringLiteral("-"), QStringLiteral("/"));
    Cuit.remove(QLatin1Char(' '));
    const QString pesos = QString::fromLatin1(kPesosCuit);
    int suma = 0;
    int k = 1;
    for (const QChar c : vb::Trim(Cuit)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            continue;
        const int peso = k <= pesos.size() ? pesos[k - 1].digitValue() : 0;
        suma += c.digitValue() * peso;
        ++k;
    }
    return seguro && Cuit.size() > 10 && Cuit.size() < 14 && suma % 11 == 0;
}

bool FrmCertificado::ExisteOpenssl(QString& RutaOpenssl)
{
    Buscador = std::make_unique<cFindFiles>();
    Buscador->setSearchSubDirs(true);
    QString resultado;
    Buscador->Find(UbicacionOpenssl::CarpetaPredeterminada(), QString(), UbicacionOpenssl::Ejecutable(), 1, resultado);
    if (resultado.isEmpty())
        return false;
    QString unidad;
    QString nombre;
    QString extension;
    ModGlobal::gFunciones().SepararRuta(resultado, unidad, RutaOpenssl, nombre, extension);
    return true;
}

FrmDescargaOpenSSL& FrmCertificado::descargaOpenssl()
{
    if (!m_descargaOpenssl)
        m_descargaOpenssl = new FrmDescargaOpenSSL(this);
    return *m_descargaOpenssl;
}
