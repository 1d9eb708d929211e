#include "installer/FrmInstaladorExe.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/net/Inet.h"
#include "platform/net/InetArchivo.h"
#include "platform/net/Site.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"
#include "platform/win/Drives.h"
#include "platform/win/ImageHlp.h"
#include "util/FrmDir.h"
#include "util/cFindFiles.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include <cstdlib>
#include <memory>

namespace {

const QString kPrograma = QStringLiteral("QB417ZT.exe");
const QString kBases = QStringLiteral("bases.TXT");
const QString kRespaldo = QStringLiteral("BCK_ACTUALIZACIONES");
const QString kTitulo = QStringLiteral("Instalación");
const QString kExito = QStringLiteral("El Archivo se descargo e instalo correctamente.");
const QString kFracaso = QStringLiteral("Ocurrio un error al descargar el archivo.");

enum Pagina { kPresentacion = 0, kUbicar = 1, kDescarga = 2, kFin = 3 };

FrmInstaladorExe::Fin& finDelPrograma()
{
    static FrmInstaladorExe::Fin fin;
    return fin;
}

template <class T>
T* control(QWidget* parent, const char* name, const QRect& where)
{
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(where);
    return widget;
}

QLabel* etiqueta(QWidget* parent, const char* name, const QString& text, const QRect& where, bool negrita = false)
{
    auto* label = control<QLabel>(parent, name, where);
    label->setText(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (negrita) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

QPushButton* boton(QWidget* parent, const char* name, const QString& caption, const QRect& where)
{
    auto* button = control<QPushButton>(parent, name, where);
    button->setText(caption);
    button->setAutoDefault(false);
    return button;
}

QLabel* imagen(QWidget* parent, const char* name, QStyle::StandardPixmap icono, const QRect& where)
{
    auto* label = control<QLabel>(parent, name, where);
    const int lado = std::min(where.width(), where.height());
    label->setPixmap(parent->style()->standardIcon(icono).pixmap(std::min(lado, 64)));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// The side picture of every page.
QLabel* imagenLateral(QWidget* parent, const char* name, QStyle::StandardPixmap icono)
{
    QLabel* label = imagen(parent, name, icono, vb::twips(0, 0, 2895, 5055));
    label->setAutoFillBackground(true);
    QPalette fondo = label->palette();
    fondo.setColor(QPalette::Window, QColor(0x1f, 0x4e, 0x79));
    label->setPalette(fondo);
    return label;
}

// The file of that name in the folder, found without regard to case as on Windows; the name as given when
// the folder holds none.
QString rutaEnCarpeta(const QString& carpeta, const QString& nombre)
{
    const QString exacta = carpeta + nombre;
    if (QFileInfo::exists(exacta))
        return exacta;
    const QStringList archivos = QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& archivo : archivos)
        if (archivo.compare(nombre, Qt::CaseInsensitive) == 0)
            return carpeta + archivo;
    return exacta;
}

bool existeEnCarpeta(const QString& carpeta, const QString& nombre)
{
    return ModGlobal::ExisteArchivo(rutaEnCarpeta(carpeta, nombre));
}

QString agregarBarra(const QString& ruta)
{
    return ModGlobal::gFunciones().AgregarBarra(ruta);
}

} // namespace

FrmInstaladorExe::FrmInstaladorExe(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    design();
    for (auto [indice, boton] : CmdSiguiente)
        connect(boton, &QPushButton::clicked, this, [this, i = indice]() { CmdSiguiente_Click(i); });
    for (auto [indice, boton] : CmdCancelar)
        connect(boton, &QPushButton::clicked, this, [this, i = indice]() { CmdCancelar_Click(i); });
    connect(CmdFin, &QPushButton::clicked, this, &FrmInstaladorExe::CmdFin_Click);
    connect(CmdUbicar, &QPushButton::clicked, this, &FrmInstaladorExe::CmdUbicar_Click);
    connect(CmdIndicarMan, &QPushButton::clicked, this, &FrmInstaladorExe::CmdIndicarMan_Click);
    connect(Inet1, &Inet::StateChanged, this, &FrmInstaladorExe::Inet1_StateChanged);
    Form_Load();
}

void FrmInstaladorExe::design()
{
    setObjectName(QStringLiteral("FrmInstaladorExe"));
    setWindowTitle(QStringLiteral("Instalación Rumo Módulos"));
    setFixedSize(vb::twipsSize(10290, 5055));

    // The tab strip lies above the client area: the buttons, not the tabs, change the page.
    SSTab1 = control<QTabWidget>(this, "SSTab1", vb::twips(-120, -360, 10410, 5415));
    SSTab1->setDocumentMode(true);
    SSTab1->tabBar()->hide();
    designPresentacion();
    designUbicar();
    designDescarga();
    designFin();

    Inet1 = new Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
}

void FrmInstaladorExe::designPresentacion()
{
    Picture1 = pagina(QStringLiteral("Presentacion"), "Picture1");
    Image1 = imagenLateral(Picture1, "Image1", QStyle::SP_ComputerIcon);
    Label3 = etiqueta(Picture1, "Label3", QStringLiteral("Bienvenido a la instalación de Módulos de Pelvaro"),
                      vb::twips(3240, 360, 6855, 375), true);
    Label5 = etiqueta(Picture1, "Label5",
                      QStringLiteral("Este proceso lo guiara en la instalación de los módulos individuales de "
                                     "Quorvela.  Presiones Siguiente para continuar."),
                      vb::twips(3240, 960, 6855, 855));
    Label6 = etiqueta(Picture1, "Label6", QStringLiteral("Pelvaro  -  ") + net::Site::baseUrl(),
                      vb::twips(3240, 3600, 6855, 495));
    CmdCancelar[0] = boton(Picture1, "CmdCancelar", QStringLiteral("Cancelar"), vb::twips(6480, 4440, 1695, 435));
    CmdSiguiente[0] = boton(Picture1, "CmdSiguiente", QStringLiteral("Siguiente"), vb::twips(8400, 4440, 1695, 435));
}

void FrmInstaladorExe::designUbicar()
{
    Picture2 = pagina(QStringLiteral("Ubicar QB417ZT"), "Picture2");
    Image2 = imagenLateral(Picture2, "Image2", QStyle::SP_DirOpenIcon);
    Label1 = etiqueta(Picture2, "Label1", QStringLiteral("Ruta de Instalación del Sistema"),
                      vb::twips(3240, 360, 6855, 255));
    TxtRuta = control<QLineEdit>(Picture2, "TxtRuta", vb::twips(3240, 720, 6855, 315));
    LblBuscando = etiqueta(Picture2, "LblBuscando", QStringLiteral("..."), vb::twips(3240, 1080, 6855, 255));
    LblBuscando->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LblInfo = etiqueta(Picture2, "LblInfo", QString(), vb::twips(3240, 1440, 6855, 975));
    CmdIndicarMan = boton(Picture2, "CmdIndicarMan", QStringLiteral("Indicar Ruta"), vb::twips(3240, 2640, 2175, 435));
    CmdUbicar =
        boton(Picture2, "CmdUbicar", QStringLiteral("Ubicar Automáticamente"), vb::twips(5520, 2640, 2655, 435));
    CmdCancelar[1] = boton(Picture2, "CmdCancelar", QStringLiteral("Cancelar"), vb::twips(6480, 4440, 1695, 435));
    CmdSiguiente[1] = boton(Picture2, "CmdSiguiente", QStringLiteral("Siguiente"), vb::twips(8400, 4440, 1695, 435));
}

void FrmInstaladorExe::designDescarga()
{
    Picture4 = pagina(QStringLiteral("Descargado"), "Picture4");
    Image6 = imagenLateral(Picture4, "Image6", QStyle::SP_DriveNetIcon);
    Image4 = imagen(Picture4, "Image4", QStyle::SP_ArrowDown, vb::twips(3240, 300, 480, 480));
    Label7 = etiqueta(Picture4, "Label7", QStringLiteral("Descargando Módulo"), vb::twips(3840, 360, 6255, 375), true);
    Label4 = etiqueta(Picture4, "Label4",
                      QStringLiteral("Esto puede tardar unos minutos, dependiendo de su conexión a internet."),
                      vb::twips(3240, 960, 6855, 495));
    Frame1 = control<QGroupBox>(Picture4, "Frame1", vb::twips(3240, 1680, 6855, 1335));
    LblDescarga = etiqueta(Frame1, "LblDescarga", QStringLiteral("..."), vb::twips(120, 300, 6615, 255));
    LblDescarga->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ProgressBar1 = control<QProgressBar>(Frame1, "ProgressBar1", vb::twips(120, 720, 6615, 375));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    CmdSiguiente[3] = boton(Picture4, "CmdSiguiente", QStringLiteral("Siguiente"), vb::twips(8400, 4440, 1695, 435));
}

void FrmInstaladorExe::designFin()
{
    Picture5 = pagina(QStringLiteral("Fin"), "Picture5");
    Image7 = imagenLateral(Picture5, "Image7", QStyle::SP_DesktopIcon);
    Image5 = imagen(Picture5, "Image5", QStyle::SP_DialogApplyButton, vb::twips(3240, 300, 480, 480));
    Label8 = etiqueta(Picture5, "Label8", QStringLiteral("Descarga Correcta"), vb::twips(3840, 360, 6255, 375), true);
    LblEstadoDesc = etiqueta(Picture5, "LblEstadoDesc", kExito, vb::twips(3240, 1680, 6855, 735));
    LblEstadoDesc->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    CmdFin = boton(Picture5, "CmdFin", QStringLiteral("Finalizar"), vb::twips(8400, 4440, 1695, 435));
}

// One page of the tab control: a white panel that covers the client area.
QWidget* FrmInstaladorExe::pagina(const QString& titulo, const char* panel)
{
    auto* hoja = new QWidget;
    SSTab1->addTab(hoja, titulo);
    auto* fondo = control<QWidget>(hoja, panel, vb::twips(120, 360, 10290, 5055));
    fondo->setAutoFillBackground(true);
    QPalette blanco = fondo->palette();
    blanco.setColor(QPalette::Window, Qt::white);
    fondo->setPalette(blanco);
    return fondo;
}

void FrmInstaladorExe::Form_Load()
{
    SSTab1->setCurrentIndex(kPresentacion);
}

void FrmInstaladorExe::reject() {}

void FrmInstaladorExe::CmdSiguiente_Click(int Index)
{
    if (Index == 0)
        SSTab1->setCurrentIndex(kUbicar);
    else if (Index == 1)
        siguienteDesdeRuta();
}

void FrmInstaladorExe::siguienteDesdeRuta()
{
    RutaSistema = TxtRuta->text();
    if (RutaSistema.isEmpty()) {
        vb::MsgBox(QStringLiteral("Debe especificar la ruta del sistema para continuar."), vb::vbCritical, kTitulo);
        return;
    }
    const QString carpeta = agregarBarra(RutaSistema);
    if (!existeEnCarpeta(carpeta, kPrograma) || !existeEnCarpeta(carpeta, kBases)) {
        vb::MsgBox(QStringLiteral("No existe el sistema en la ruta especificada."), vb::vbCritical,
                   QStringLiteral("Aviso al Operador"));
        return;
    }
    SSTab1->setCurrentIndex(kDescarga);
    DescargarModulo();
}

void FrmInstaladorExe::CmdCancelar_Click(int)
{
    if (vb::MsgBox(QStringLiteral("¿Realmente desea salir de la instalación?"), vb::vbYesNo + vb::vbCritical,
                   kTitulo) == vb::vbYes)
        terminar();
}

void FrmInstaladorExe::CmdFin_Click()
{
    terminar();
}

void FrmInstaladorExe::setFin(Fin fin)
{
    finDelPrograma() = std::move(fin);
}

// The program ends at once, without unloading its windows one by one.
void FrmInstaladorExe::terminar()
{
    if (finDelPrograma())
        finDelPrograma()();
    else
        std::exit(0);
}

QString FrmInstaladorExe::BuscarArchivo(const QString& ArchivoBuscado)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString resultado = QStringLiteral("No encontrado");
    for (const QString& raiz : win::GetLogicalDrives()) {
        QString encontrado;
        if (win::SearchTreeForFile(raiz, ArchivoBuscado, encontrado)) {
            resultado = encontrado;
            break;
        }
    }
    QApplication::restoreOverrideCursor();
    return resultado;
}

void FrmInstaladorExe::CmdUbicar_Click()
{
    LblBuscando->setText(QStringLiteral("Buscando..."));
    LblBuscando->repaint();
    const QString encontrado = BuscarArchivo(kPrograma);
    if (!encontrado.contains(kPrograma, Qt::CaseInsensitive)) {
        vb::MsgBox(QStringLiteral("No se pudo ubicar la carpeta de intalación. Indiquela manualmente."),
                   vb::vbInformation, kTitulo);
        TxtRuta->clear();
    } else {
        // Only the file name at the end goes: a folder whose name holds it stays whole.
        const QString carpeta = encontrado.left(encontrado.size() - kPrograma.size());
        TxtRuta->setText(carpeta);
        LblInfo->setText(QStringLiteral("Se ha encontrado ") + carpeta +
                         QStringLiteral(" como ruta de instalación de Quorvela.") + QLatin1Char('\n') +
                         QStringLiteral("Si no es correcta, indiquela manualmente."));
    }
    LblBuscando->setText(QStringLiteral("..."));
}

void FrmInstaladorExe::CmdIndicarMan_Click()
{
    FrmDir carpetas(this);
    carpetas.exec();
    if (!vb::Trim(carpetas.SelPath).isEmpty()) {
        TxtRuta->setText(carpetas.SelPath);
        LblInfo->clear();
    }
}

bool FrmInstaladorExe::ExisteQB(QString& carpeta)
{
    const QString buscado = kPrograma.toLower();
    auto buscador = std::make_unique<cFindFiles>();
    buscador->setSearchSubDirs(true);
    bool existe = false;
    for (const QString& unidad : win::GetLogicalDrives()) {
        const vb::Flow flujo = vb::RunStatement(
            [&]() {
                QString primero;
                buscador->Find(agregarBarra(unidad), QString(), buscado, 1, primero);
                if (primero.isEmpty())
                    return;
                // The finder hands back the first entry of the drive, a folder as a rule; when that folder
                // lacks the exact file the search goes on with the next drive.
                const QString enCarpeta = agregarBarra(primero);
                if (existeEnCarpeta(enCarpeta, buscado)) {
                    carpeta = QDir::toNativeSeparators(enCarpeta);
                    existe = true;
                }
            },
            [](const vb::Error& e) { return ModGlobal::gFunciones().ManejarError(e, QStringLiteral("ExisteQB")); });
        if (existe || flujo == vb::Flow::Leave)
            break;
    }
    return existe;
}

// Only the sales module is known. Any other name gives no statement at all: one built from empty values
// would put a blank menu row into every database.
QString FrmInstaladorExe::GeneraInsertMenu(const QString& Opcion, QString& CodigoTarea) const
{
    if (Opcion.compare(QStringLiteral("V_MV_VENTAS.EXE"), Qt::CaseInsensitive) != 0)
        return QString();
    const QString titulo = QStringLiteral("D60");
    const QString clave = QStringLiteral("D6001");
    const QString nombre = QStringLiteral("Carga de Comprobantes");
    const QString imagen = QStringLiteral("Factura");
    const QString proceso = QStringLiteral("SHELL:V_MV_VENTAS");
    CodigoTarea = clave;
    return QStringLiteral("IF NOT EXISTS (SELECT * FROM TA_MENU WHERE CLAVE='") + clave +
           QStringLiteral("' AND TITULO='") + titulo +
           QStringLiteral("' AND MENU='RUMO') INSERT INTO TA_MENU "
                          "(MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO,ORDEN) VALUES (") +
           QStringLiteral("'RUMO','") + titulo + QStringLiteral("','") + clave + QStringLiteral("','") + nombre +
           QStringLiteral("','") + imagen + QStringLiteral("','") + proceso + QStringLiteral("',1,'") + clave +
           QStringLiteral("')");
}

QString FrmInstaladorExe::DireccionDescarga()
{
    return net::Site::baseUrl() + QStringLiteral("/qv/descarga/2655/");
}

void FrmInstaladorExe::DescargarModulo()
{
    CmdSiguiente[3]->setEnabled(false);
    if (!respaldarModulo())
        return;
    ArchivoTemporal = ModGlobal::CarpetaTemporalLog() + NombreExe;
    LblDescarga->setText(QStringLiteral("Preparando Descarga.. Espere por favor..."));
    Inet1->setURL(DireccionDescarga());
    Inet1->Execute(QStringLiteral("GET"));
}

// Copies the installed module into the backup folder, replacing an older backup. The installed module
// itself stays until a complete download replaces it, and is never replaced without its backup.
bool FrmInstaladorExe::respaldarModulo()
{
    const QString carpeta = agregarBarra(RutaSistema);
    const QString instalado = rutaEnCarpeta(carpeta, NombreExe);
    if (!ModGlobal::ExisteArchivo(instalado))
        return true;
    const QString respaldo = carpeta + kRespaldo;
    if (!QFileInfo::exists(respaldo))
        QDir().mkdir(respaldo);
    if (ModGlobal::CopiarArchivo(instalado, agregarBarra(respaldo) + NombreExe))
        return true;
    vb::MsgBox(QStringLiteral("No se pudo respaldar ") + instalado + QStringLiteral(" en ") + respaldo +
                   QStringLiteral(". El módulo instalado no se reemplaza."),
               vb::vbCritical, kTitulo);
    volverARuta();
    return false;
}

void FrmInstaladorExe::Inet1_StateChanged(int State)
{
    if (State != Inet::icResponseCompleted && State != Inet::icError)
        return;
    try {
        // A transfer that fails before a response frees the wizard as any other download error does.
        if (State == Inet::icError)
            throw vb::Error(35750, Inet1->ResponseInfo());
        guardarModulo();
        SSTab1->setCurrentIndex(kFin);
        ProgressBar1->setValue(0);
        instalarModulo();
    } catch (const std::exception& e) {
        errorDescarga(e);
    }
}

// Writes the body whole in place of any earlier download, and only for a successful and complete
// response: an error page or a cut transfer never reaches the temporary file.
void FrmInstaladorExe::guardarModulo()
{
    net::AvanceDescarga avance;
    avance.inicio = [this](int largo) {
        ProgressBar1->setValue(0);
        ProgressBar1->setMaximum(largo);
    };
    avance.trozo = [this](qint64 escritos, qint64) {
        LblDescarga->setText(QStringLiteral("Descargado ") + QString::number(escritos) + QStringLiteral(" kb de ") +
                             QString::number(ProgressBar1->maximum()) + QStringLiteral(" kb"));
        ProgressBar1->setValue(static_cast<int>(escritos));
    };
    net::GuardarRespuesta(*Inet1, ArchivoTemporal, QStringLiteral("módulo"), avance);
}

// The outcome follows the copy: a module that could not be copied into the ERP folder is not reported
// as installed.
void FrmInstaladorExe::instalarModulo()
{
    const QString destino = rutaEnCarpeta(agregarBarra(RutaSistema), NombreExe);
    const bool instalado =
        ModGlobal::ExisteArchivo(ArchivoTemporal) && ModGlobal::CopiarArchivo(ArchivoTemporal, destino);
    Label8->setText(instalado ? QStringLiteral("Descarga Correcta") : QStringLiteral("Descarga Incorrecta"));
    LblEstadoDesc->setText(instalado ? kExito : kFracaso);
}

void FrmInstaladorExe::errorDescarga(const std::exception& e)
{
    vb::MsgBox(vb::toError(e).Description(), vb::vbCritical);
    vb::ResumeNext([this]() { Inet1->Cancel(); });
    ProgressBar1->setValue(0);
    volverARuta();
}

// After a failure the wizard is back on the folder page, where "Siguiente" tries again and "Cancelar" leaves.
void FrmInstaladorExe::volverARuta()
{
    CmdSiguiente[3]->setEnabled(true);
    SSTab1->setCurrentIndex(kUbicar);
}

void FrmInstaladorExe::AutorizaEInserta()
{
    RutaSistema = vb::App::Path();
    const QString bases = rutaEnCarpeta(agregarBarra(RutaSistema), QStringLiteral("BASES.txt"));
    if (!ModGlobal::ExisteArchivo(bases)) {
        vb::MsgBox(QStringLiteral("No existe el archivo de bases. No se puede continuar.\r\n"
                                  "Comuníquese con el soporte técnico de Pelvaro."),
                   vb::vbCritical, QStringLiteral("Aviso al Operador"));
        return;
    }
    std::vector<LBM_Common::Registro> registros;
    vb::ResumeNext([&]() { registros = LBM_Common::LeerConexiones(bases); });
    for (const LBM_Common::Registro& registro : registros)
        registrarEnBase(registro);
}

// One registered connection: display name, database, user, encoded password, server text.
void FrmInstaladorExe::registrarEnBase(const LBM_Common::Registro& registro)
{
    QString codigoTarea;
    const QString menu = GeneraInsertMenu(NombreExe, codigoTarea);
    if (menu.isEmpty())
        return;
    DB_Dll& db = ModGlobal::gDB();
    QString password;
    vb::ResumeNext([&]() { password = ModGlobal::gFunciones().Decodificar(registro[3]); });
    vb::ResumeNext([&]() {
        if (db.gCnn->State() == ado::adStateOpen)
            db.gCnn->Close();
    });
    db.gUsuario = registro[2];
    db.gDBName = registro[1];
    db.gUserPassWord = password;
    vb::ResumeNext([&]() { db.gServidor = ModGlobal::NombreServidor(registro[4]); });
    vb::ResumeNext([&]() { db.OpenServerADODB(false, ado::adUseClient, QString(), true, true); });
    if (!db.gOpenFlag)
        return;
    ejecutarAvisando(menu);
    const QString permisos = permisosDeUsuarios(codigoTarea);
    if (!permisos.isEmpty())
        ejecutarAvisando(permisos);
}

// One conditional insert of the task per user of the main program, each on its own line. The names come
// from the database: their apostrophes are doubled so that a name never breaks out of its literal.
QString FrmInstaladorExe::permisosDeUsuarios(const QString& codigoTarea)
{
    DB_Dll& db = ModGlobal::gDB();
    QString permisos;
    ado::Recordset usuarios;
    QString consulta = QStringLiteral("SELECT * FROM TA_USUARIOS WHERE SISTEMA='QB417ZT'");
    vb::ResumeNext([&]() {
        db.AbrirRecordset(consulta, usuarios, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        for (; !usuarios.Eof(); usuarios.MoveNext()) {
            QString usuario = vb::Trim(
                ModGlobal::gFunciones().ValorCampo(usuarios.Fields(QStringLiteral("Nombre")).Value()).toString());
            usuario.replace(QLatin1Char('\''), QStringLiteral("''"));
            permisos += QStringLiteral("\r\nIF NOT EXISTS (SELECT * FROM TA_TAREAS WHERE USUARIO='") + usuario +
                        QStringLiteral("' AND SISTEMA='QB417ZT' AND TAREA='") + codigoTarea +
                        QStringLiteral("') INSERT INTO TA_TAREAS (USUARIO,SISTEMA,TAREA) VALUES ('") + usuario +
                        QStringLiteral("','QB417ZT','") + codigoTarea + QStringLiteral("')");
        }
    });
    vb::ResumeNext([&]() { db.CierraRecordset(usuarios); });
    return permisos;
}

// Runs a statement on the shared connection and shows the first error it left, if any.
void FrmInstaladorExe::ejecutarAvisando(QString sentencia)
{
    DB_Dll& db = ModGlobal::gDB();
    long registros = 0;
    vb::ResumeNext([&]() { db.EjecutaConsultaSQL(sentencia, registros); });
    if (db.gCnn->Errors().Count() > 0)
        vb::MsgBox(db.gCnn->Errors()(0).Description(), vb::vbCritical, QStringLiteral("ERROR"));
}
