#include "database/frmAcceso.h"

#include "database/DB_Dll.h"
#include "database/ExistenciaArchivo.h"
#include "database/ReporteErrores.h"
#include "platform/ado/Connection.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/shell/WshShell.h"
#include "platform/vb/App.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Process.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace {

// The utility library's services; its objects hold no state, so this module keeps one of its own.
const ClsUtilidades& funciones()
{
    static const ClsUtilidades instancia;
    return instancia;
}

// The prompts' text colour: the run-time's colour value 2.
const QColor kColorIndicacion(2, 0, 0);

QLabel* etiqueta(QWidget* padre, const QString& texto, const QRect& lugar)
{
    auto* l = new QLabel(texto, padre);
    l->setObjectName(QStringLiteral("Label1"));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(lugar);
    return l;
}

QLineEdit* caja(QWidget* padre, const char* nombre, const QString& ayuda, const QRect& lugar)
{
    auto* c = new QLineEdit(padre);
    c->setObjectName(QLatin1String(nombre));
    c->setToolTip(ayuda);
    c->setGeometry(lugar);
    return c;
}

QPushButton* boton(QWidget* padre, const char* nombre, const QString& texto, const QRect& lugar, bool negrita)
{
    auto* b = new QPushButton(texto, padre);
    b->setObjectName(QLatin1String(nombre));
    b->setGeometry(lugar);
    b->setAutoDefault(false);
    QFont f = b->font();
    f.setBold(negrita);
    b->setFont(f);
    return b;
}

} // namespace

frmAcceso::frmAcceso(QWidget* parent) : QDialog(parent)
{
    disenar();
    connect(bcAceptar, &QPushButton::clicked, this, &frmAcceso::bcAceptar_Click);
    connect(bcCancelar, &QPushButton::clicked, this, &frmAcceso::bcCancelar_Click);
    connect(CmdRegistrar, &QPushButton::clicked, this, &frmAcceso::CmdRegistrar_Click);
    connect(CmdLineaComando, &QPushButton::clicked, this, &frmAcceso::CmdLineaComando_Click);
    connect(lstBases, &QListWidget::currentRowChanged, this, [this](int fila) {
        if (fila >= 0)
            AsignarDatosBase();
    });
    connect(lstBases, &QListWidget::itemDoubleClicked, this, &frmAcceso::lstBases_DblClick);
    for (QLineEdit* c : {TxtDbName, TxtServidor, TxtUserPassword})
        connect(c, &QLineEdit::textChanged, this, [this, c] { MensajeInicial(c); });
    TxtUserId->installEventFilter(this);

    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
    LlenarList();
    for (QLineEdit* c : {TxtUserId, TxtUserPassword, TxtDbName, TxtServidor})
        MensajeInicial(c);
}

// The window's design: a 6780 by 3360 twips client area.
void frmAcceso::disenar()
{
    setObjectName(QStringLiteral("frmAcceso"));
    setWindowTitle(QStringLiteral("Control de Acceso"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(vb::twipsSize(6780, 3360));
    setAutoFillBackground(true);
    QPalette fondo = palette();
    fondo.setColor(QPalette::Window, Qt::white);
    setPalette(fondo);

    Label1.push_back(etiqueta(this, QStringLiteral("Complete los datos de conexion"), vb::twips(120, 60, 3600, 255)));
    framAcceso = new QGroupBox(this);
    framAcceso->setObjectName(QStringLiteral("framAcceso"));
    framAcceso->setGeometry(vb::twips(120, 360, 3600, 2280));
    TxtUserId =
        caja(framAcceso, "TxtUserId", QStringLiteral("Ingrese el nombre de usuario"), vb::twips(120, 240, 3360, 315));
    TxtUserId->setText(QStringLiteral(" "));
    TxtUserPassword =
        caja(framAcceso, "TxtUserPassword", QStringLiteral("Ingrese la contraseña"), vb::twips(120, 600, 3360, 315));
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    TxtUserPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    TxtDbName = caja(framAcceso, "TxtDbName", QStringLiteral("ingrese el nombre de la base de datos"),
                     vb::twips(120, 960, 3360, 315));
    TxtServidor = caja(framAcceso, "TxtServidor", QStringLiteral("ingrese el nombre del servidor e instancia"),
                       vb::twips(120, 1320, 2400, 315));
    TxtPuerto = caja(framAcceso, "TxtPuerto", QStringLiteral("Ingrese el Puerto "), vb::twips(2640, 1320, 840, 315));
    TxtPuerto->setText(QStringLiteral("1433"));
    CboPlataformaDB = new QComboBox(framAcceso);
    CboPlataformaDB->setObjectName(QStringLiteral("CboPlataformaDB"));
    CboPlataformaDB->addItems({QStringLiteral("SQL Server"), QStringLiteral("ORACLE")});
    CboPlataformaDB->setGeometry(vb::twips(120, 1680, 3360, 315));
    setTabOrder(TxtUserId, TxtUserPassword);
    setTabOrder(TxtUserPassword, TxtDbName);
    setTabOrder(TxtDbName, TxtServidor);
    setTabOrder(TxtServidor, CboPlataformaDB);

    Label1.push_back(etiqueta(this, QStringLiteral("Conexiones registradas"), vb::twips(3840, 60, 2820, 255)));
    lstBases = new QListWidget(this);
    lstBases->setObjectName(QStringLiteral("lstBases"));
    lstBases->setGeometry(vb::twips(3840, 360, 2820, 2280));

    bcAceptar = boton(this, "bcAceptar", QStringLiteral("Aceptar"), vb::twips(120, 2760, 1680, 435), true);
    bcCancelar = boton(this, "bcCancelar", QStringLiteral("Cancelar"), vb::twips(2040, 2760, 1680, 435), true);
    CmdRegistrar = boton(this, "CmdRegistrar", QStringLiteral("Registrar"), vb::twips(3840, 2760, 900, 435), false);
    // As wide as its caption needs inside the bevel with the system's sans-serif font.
    CmdLineaComando =
        boton(this, "CmdLineaComando", QStringLiteral("Crear Acceso Directo"), vb::twips(4800, 2760, 1920, 435), false);
}

void frmAcceso::reject()
{
    bcCancelar_Click();
}

QString frmAcceso::indicacion(const QLineEdit* c) const
{
    if (c == TxtUserId)
        return QStringLiteral("Ingrese el usuario");
    if (c == TxtDbName)
        return QStringLiteral("ingrese el nombre de la base de datos");
    if (c == TxtServidor)
        return QStringLiteral("ingrese el nombre del servidor e instancia");
    return QString();
}

void frmAcceso::MensajeInicial(QLineEdit* ObjTxt)
{
    const QString texto = indicacion(ObjTxt);
    if (!vb::Trim(ObjTxt->text()).isEmpty() && ObjTxt->text() != texto)
        return;
    if (ObjTxt->text() != texto)
        ObjTxt->setText(texto);
    QPalette colores = ObjTxt->palette();
    colores.setColor(QPalette::Text, kColorIndicacion);
    ObjTxt->setPalette(colores);
    ObjTxt->selectAll();
}

bool frmAcceso::eventFilter(QObject* objeto, QEvent* evento)
{
    if (objeto == TxtUserId && evento->type() == QEvent::FocusIn)
        MensajeInicial(TxtUserId);
    return QDialog::eventFilter(objeto, evento);
}

void frmAcceso::LlenarList()
{
    if (!ExistenciaArchivo::ExisteArchivo(LBM_Common::RutaBases()))
        return;
    std::vector<LBM_Common::Registro> registros;
    vb::RunSteps({[&] { return lstBases->clear(), true; },
                  [&] { return registros = LBM_Common::LeerConexiones(), true; },
                  [&] {
                      for (const auto& r : registros)
                          if (!vb::Trim(r[0]).isEmpty())
                              lstBases->addItem(r[0]);
                      return true;
                  },
                  [&] {
                      if (lstBases->count() > 0)
                          lstBases->setCurrentRow(0);
                      return true;
                  }},
                 [](const vb::Error& e) {
                     return ReporteErrores::TratamientoErrores(e, std::nullopt, QStringLiteral("FormLoad"));
                 });
}

bool frmAcceso::DatosBase(const QString& Nombre)
{
    bool encontrado = false;
    if (!ExistenciaArchivo::ExisteArchivo(LBM_Common::RutaBases()))
        return false;
    vb::RunStatement(
        [&] {
            for (const auto& r : LBM_Common::LeerConexiones()) {
                m_registro = r;
                if (vb::Trim(r[0]) != vb::Trim(Nombre))
                    continue;
                m_servidor = r[4];
                m_baseDatos = r[1];
                m_usuario = r[2];
                m_password = funciones().Decodificar(r[3]);
                encontrado = true;
                return;
            }
        },
        [](const vb::Error& e) { return funciones().ManejarError(e); });
    return encontrado;
}

void frmAcceso::AsignarDatosBase()
{
    if (!lstBases->currentItem())
        return;
    DatosBase(vb::Trim(lstBases->currentItem()->text()));
    m_puerto = vb::Variant();
    if (const int dosPuntos = vb::InStr(m_servidor, QStringLiteral(":")); dosPuntos > 0) {
        m_puerto = vb::Mid(m_servidor, dosPuntos + 1);
        m_servidor = vb::Trim(vb::Left(m_servidor, dosPuntos - 1)).toUpper();
    }
    TxtServidor->setText(m_servidor);
    TxtDbName->setText(m_baseDatos);
    TxtPuerto->setText(m_puerto.toString());
    TxtUserId->setText(QString());
    TxtUserPassword->setText(QString());
}

void frmAcceso::lstBases_DblClick()
{
    AsignarDatosBase();
    bcAceptar_Click();
}

void frmAcceso::bcAceptar_Click()
{
    Aceptar = true;
    hide();
    done(QDialog::Accepted);
}

void frmAcceso::bcCancelar_Click()
{
    Aceptar = false;
    hide();
    done(QDialog::Rejected);
}

bool frmAcceso::ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario,
                                  const QString& Password, const QString& Proveedor)
{
    const QString cadena = QStringLiteral("PROVIDER=") + Proveedor + QStringLiteral(";") + QStringLiteral("Server=") +
                           Servidor + QStringLiteral(";") + QStringLiteral("Database =") + Dbname +
                           QStringLiteral(";") + QStringLiteral("UId=") + Usuario + QStringLiteral(";") +
                           QStringLiteral("Pwd=") + Password + QStringLiteral(";");
    const auto prueba = ado::Connection::create();
    return vb::ResumeNext([&] {
        prueba->Open(cadena);
        prueba->Close();
    });
}

void frmAcceso::CmdRegistrar_Click()
{
    const QString servidor = vb::Trim(TxtServidor->text()).toUpper().section(QLatin1Char(':'), 0, 0);
    const QString nombre = vb::Trim(TxtDbName->text()).toUpper() + QStringLiteral(" / ") + servidor;
    if (DatosBase(nombre)) {
        vb::MsgBox(QStringLiteral("La conexion que intenta registrar ya existe "), vb::vbInformation,
                   QStringLiteral("Atencion"));
        return;
    }
    bool conecto = false;
    bool alComando = false;
    // Known notices pass on to the next step; any other error is shown and the registration goes on with
    // starting the ODBC tool.
    auto manejador = [&](const vb::Error& e) {
        const long n = e.Number();
        if (n == 3704 || n == -2147023840 || n == 1056 || n == 440)
            return vb::kContinue;
        vb::MsgBox(QStringLiteral("SQL Server start failed.  ") + QStringLiteral("\r") +
                   QStringLiteral("SQL-DMO error:  ") + QString::number(n) + QStringLiteral(" ") + e.Description());
        alComando = true;
        return 0;
    };
    const vb::Flow flujo =
        vb::RunSteps({[&] {
                          for (QLineEdit* c : {TxtServidor, TxtUserId, TxtUserPassword})
                              c->setText(vb::Trim(c->text()));
                          return true;
                      },
                      [&] {
                          const QString base = vb::Trim(TxtDbName->text()).toUpper();
                          conecto = ExisteBaseDeDatos(TxtServidor->text(), TxtDbName->text(), base, base,
                                                      QStringLiteral("SQLOLEDB"));
                          return true;
                      },
                      [&] {
                          if (conecto)
                              return true;
                          DB_Dll& principal = gDB();
                          principal.gServidor = TxtServidor->text();
                          principal.gUsuario = TxtUserId->text();
                          principal.gUserPassWord = TxtUserPassword->text();
                          principal.gDBName = TxtDbName->text();
                          principal.OpenServerADODB(false, ado::adUseClient, QString(), false, false);
                          conecto = principal.gOpenFlag;
                          if (!conecto)
                              vb::MsgBox(QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + TxtServidor->text() +
                                             QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"),
                                         vb::vbInformation, QStringLiteral("AVISO AL OPERADOR"));
                          return conecto;
                      },
                      [&] {
                          LBM_Common::RegistrarConexion(nombre, TxtDbName->text(), TxtDbName->text(), TxtDbName->text(),
                                                        TxtServidor->text(), QString(), false);
                          return true;
                      }},
                     manejador);
    if (!alComando && (flujo == vb::Flow::Leave || !conecto))
        return;
    vb::RunSteps({[&] {
                      const QString odbc = funciones().AgregarBarra(vb::App::Path()) + QStringLiteral("ODBC.exe");
                      if (ExistenciaArchivo::ExisteArchivo(odbc))
                          vb::Shell(QLatin1Char('"') + odbc + QStringLiteral("\" Server=") + TxtServidor->text() +
                                        QStringLiteral(";DB=") + TxtDbName->text() + QStringLiteral(";"),
                                    vb::vbMinimizedNoFocus);
                      return true;
                  },
                  [&] { return LlenarList(), true; }},
                 [&](const vb::Error& e) {
                     manejador(e);
                     return vb::kContinue;
                 });
}

void frmAcceso::CmdLineaComando_Click()
{
    WshShell shell;
    QString escritorio;
    vb::RunSteps({[&] { return escritorio = shell.SpecialFolders(QStringLiteral("Desktop")), true; },
                  [&] {
                      WshShortcut acceso = shell.CreateShortcut(escritorio + QStringLiteral("\\Zizoz Urodid.lnk"));
                      acceso.TargetPath =
                          funciones().AgregarBarra(vb::App::Path()) + vb::App::EXEName() + QStringLiteral(".exe");
                      acceso.IconLocation = acceso.TargetPath;
                      acceso.Save();
                      return true;
                  }},
                 [](const vb::Error& e) { return funciones().ManejarError(e); });
}

bool frmAcceso::EjecutarCmdRegDB(const QString& Archivo, QString& ErrDevuelto)
{
    const std::int64_t id = vb::Shell(Archivo, vb::vbMinimizedFocus);
    const std::intptr_t proceso = vb::OpenProcess(vb::PROCESS_QUERY_INFORMATION, false, id);
    std::uint32_t codigo = vb::STILL_ACTIVE;
    while (codigo == vb::STILL_ACTIVE && vb::GetExitCodeProcess(proceso, &codigo)) {
        vb::DoEvents();
        vb::Sleep(10);
    }
    vb::CloseHandle(proceso);
    if (proceso >= 33)
        return true;
    ErrDevuelto = QStringLiteral("Error al ejecutar el comando");
    return false;
}
