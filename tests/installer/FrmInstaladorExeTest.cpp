#include "installer/FrmInstaladorExe.h"

#include "platform/net/Inet.h"
#include "platform/net/Site.h"
#include "platform/vb/Constants.h"
#include "platform/win/Drives.h"
#include "support/DrippingServer.h"
#include "support/FileSizeLimit.h"
#include "support/HttpServer.h"
#include "support/ModalDriver.h"
#include "support/ScriptedOperator.h"
#include "support/ShortStallWindow.h"
#include "support/WaitUntil.h"
#include "util/DirListBox.h"
#include "util/FrmDir.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

using kembtest::ScriptedOperator;
using kembtest::Shown;

const QString kRuta = "/qv/descarga/2655/";
const QString kModulo = "V_MV_VENTAS.EXE";
enum Pagina { kPresentacion = 0, kUbicar = 1, kDescarga = 2, kFin = 3 };

kembtest::HttpResponse respuesta(int status, const QByteArray& body)
{
    kembtest::HttpResponse r;
    r.status = status;
    r.body = body;
    return r;
}

QByteArray cuerpo(int largo)
{
    QByteArray body;
    for (int i = 0; i < largo; ++i)
        body += char('A' + i % 26);
    return body;
}

// Records a label's text each time the label is painted, the way the user sees it change.
class Pintadas : public QObject {
public:
    Pintadas(QLabel& etiqueta, QStringList& vistos) : m_vistos(vistos) { etiqueta.installEventFilter(this); }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override
    {
        if (evento->type() == QEvent::Paint) {
            const QString texto = static_cast<QLabel*>(objeto)->text();
            if (m_vistos.isEmpty() || m_vistos.back() != texto)
                m_vistos << texto;
        }
        return false;
    }

private:
    QStringList& m_vistos;
};

void escribir(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray leer(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Checks one message box: its exact text, buttons and title.
std::function<void(const Shown&)> caja(const QString& texto, int botones, const QString& titulo)
{
    return [=](const Shown& s) {
        EXPECT_EQ(s.prompt, texto);
        EXPECT_EQ(s.buttons, botones);
        EXPECT_EQ(s.title, titulo);
    };
}

class InstaladorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldTemp = qgetenv("TEMP");
        qputenv("TEMP", m_temp.path().toUtf8());
        net::Site::setOverride(m_server.hostPort());
        FrmInstaladorExe::setFin([this]() { ++m_fines; });
        m_form = std::make_unique<FrmInstaladorExe>();
        m_form->show();
    }
    void TearDown() override
    {
        m_form.reset();
        FrmInstaladorExe::setFin({});
        win::setLogicalDrivesOverride({});
        net::Site::setOverride("");
        qputenv("TEMP", m_oldTemp);
    }

    // A folder laid out as the ERP's installation: the main program and the registered connections.
    QString erp(const QString& relative)
    {
        const QString folder = QDir(m_raiz.path()).filePath(relative);
        escribir(QDir(folder).filePath("QB417ZT.exe"), "programa principal");
        escribir(QDir(folder).filePath("BASES.TXT"), "VENTAS / SRV01,ventas,ventas,x,srv01\r\n");
        return folder;
    }
    QString enRaiz(const QString& relative) const { return QDir(m_raiz.path()).filePath(relative); }
    QString temporal() const { return QDir(m_temp.path()).filePath(kModulo); }
    int pagina() const { return m_form->SSTab1->currentIndex(); }

    // Types the folder on the folder page and presses "Siguiente" there.
    void siguienteConRuta(const QString& ruta)
    {
        m_form->SSTab1->setCurrentIndex(kUbicar);
        m_form->TxtRuta->setText(ruta);
        QTest::mouseClick(m_form->CmdSiguiente.at(1), Qt::LeftButton);
    }

    // Starts the download from the folder page and waits until it ends on the last page or back on the first.
    void descargar(const QString& ruta)
    {
        siguienteConRuta(ruta);
        EXPECT_EQ(pagina(), kDescarga);
        EXPECT_FALSE(m_form->CmdSiguiente.at(3)->isEnabled());
        EXPECT_EQ(m_form->LblDescarga->text(), "Preparando Descarga.. Espere por favor...");
        ASSERT_TRUE(kembtest::waitUntil([this]() { return pagina() != kDescarga; }));
    }

    void esperaFracaso(ScriptedOperator& op, const QString& texto)
    {
        op.answerMsgBox(vb::vbOK, [texto](const Shown& s) {
            EXPECT_EQ(s.prompt, texto);
            EXPECT_EQ(s.buttons, vb::vbCritical);
            EXPECT_EQ(s.title, QCoreApplication::applicationName());
        });
    }

    // After a failed download: back on the folder page with "Siguiente" of the download page usable again.
    void expectLiberado()
    {
        EXPECT_EQ(pagina(), kUbicar);
        EXPECT_TRUE(m_form->CmdSiguiente.at(3)->isEnabled());
        EXPECT_EQ(m_form->ProgressBar1->value(), 0);
    }

    QTemporaryDir m_temp;
    QTemporaryDir m_raiz;
    QByteArray m_oldTemp;
    kembtest::HttpServer m_server;
    int m_fines = 0;
    std::unique_ptr<FrmInstaladorExe> m_form;
};

} // namespace

TEST_F(InstaladorTest, DesignOfTheWindow)
{
    FrmInstaladorExe& f = *m_form;
    EXPECT_EQ(f.objectName(), "FrmInstaladorExe");
    EXPECT_EQ(f.windowTitle(), "Instalación Rumo Módulos");
    EXPECT_EQ(f.size(), QSize(686, 337));
    EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(f.SSTab1->geometry(), QRect(-8, -24, 694, 361));
    EXPECT_FALSE(f.SSTab1->tabBar()->isVisible());
    ASSERT_EQ(f.SSTab1->count(), 4);
    const QStringList titulos{"Presentacion", "Ubicar QB417ZT", "Descargado", "Fin"};
    const QWidget* paneles[] = {f.Picture1, f.Picture2, f.Picture4, f.Picture5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.SSTab1->tabText(i), titulos[i]);
        EXPECT_EQ(paneles[i]->parentWidget(), f.SSTab1->widget(i));
        EXPECT_EQ(paneles[i]->palette().color(QPalette::Window), QColor(Qt::white));
    }
    EXPECT_EQ(f.Picture1->objectName(), "Picture1");
    EXPECT_EQ(f.Picture1->mapTo(&f, QPoint(0, 0)), QPoint(0, 0));
    EXPECT_EQ(f.Picture1->size(), f.size());

    EXPECT_EQ(f.Label3->text(), "Bienvenido a la instalación de Módulos de Pelvaro");
    EXPECT_TRUE(f.Label3->font().bold());
    EXPECT_EQ(f.Label5->text(), "Este proceso lo guiara en la instalación de los módulos individuales de Quorvela.  "
                                "Presiones Siguiente para continuar.");
    EXPECT_FALSE(f.Label6->text().isEmpty());
    EXPECT_EQ(f.Label1->text(), "Ruta de Instalación del Sistema");
    EXPECT_EQ(f.LblBuscando->text(), "...");
    EXPECT_TRUE(f.LblBuscando->alignment() & Qt::AlignRight);
    EXPECT_EQ(f.LblInfo->text(), "");
    EXPECT_EQ(f.CmdIndicarMan->text(), "Indicar Ruta");
    EXPECT_EQ(f.CmdUbicar->text(), "Ubicar Automáticamente");
    EXPECT_EQ(f.Label7->text(), "Descargando Módulo");
    EXPECT_TRUE(f.Label7->font().bold());
    EXPECT_EQ(f.Label4->text(), "Esto puede tardar unos minutos, dependiendo de su conexión a internet.");
    EXPECT_EQ(f.LblDescarga->parentWidget(), f.Frame1);
    EXPECT_EQ(f.ProgressBar1->parentWidget(), f.Frame1);
    EXPECT_EQ(f.LblDescarga->text(), "...");
    EXPECT_TRUE(f.LblDescarga->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(f.Label8->text(), "Descarga Correcta");
    EXPECT_TRUE(f.Label8->font().bold());
    EXPECT_EQ(f.LblEstadoDesc->text(), "El Archivo se descargo e instalo correctamente.");
    EXPECT_EQ(f.CmdFin->text(), "Finalizar");
    for (QLabel* picture : {f.Image1, f.Image2, f.Image4, f.Image5, f.Image6, f.Image7})
        EXPECT_FALSE(picture->pixmap().isNull()) << picture->objectName().toStdString();

    ASSERT_EQ(f.CmdSiguiente.size(), 3u);
    const std::pair<int, QWidget*> siguientes[] = {{0, f.Picture1}, {1, f.Picture2}, {3, f.Picture4}};
    for (auto [indice, panel] : siguientes) {
        EXPECT_EQ(f.CmdSiguiente.at(indice)->text(), "Siguiente");
        EXPECT_EQ(f.CmdSiguiente.at(indice)->objectName(), "CmdSiguiente");
        EXPECT_EQ(f.CmdSiguiente.at(indice)->parentWidget(), panel);
    }
    ASSERT_EQ(f.CmdCancelar.size(), 2u);
    EXPECT_EQ(f.CmdCancelar.at(0)->parentWidget(), f.Picture1);
    EXPECT_EQ(f.CmdCancelar.at(1)->parentWidget(), f.Picture2);
    EXPECT_EQ(f.CmdCancelar.at(1)->text(), "Cancelar");
    EXPECT_NE(f.findChild<Inet*>("Inet1"), nullptr);
    EXPECT_EQ(f.NombreExe, kModulo);
    EXPECT_EQ(FrmInstaladorExe::DireccionDescarga(), "http://" + m_server.hostPort() + kRuta);
}

TEST_F(InstaladorTest, ThePagesFollowTheButtonsAndEscapeDoesNotCloseTheWizard)
{
    EXPECT_EQ(pagina(), kPresentacion);
    EXPECT_TRUE(m_form->CmdSiguiente.at(0)->isVisible());
    EXPECT_FALSE(m_form->TxtRuta->isVisible());
    QTest::mouseClick(m_form->CmdSiguiente.at(0), Qt::LeftButton);
    EXPECT_EQ(pagina(), kUbicar);
    EXPECT_TRUE(m_form->TxtRuta->isVisible());
    EXPECT_FALSE(m_form->CmdSiguiente.at(0)->isVisible());

    QTest::keyClick(m_form.get(), Qt::Key_Escape);
    EXPECT_TRUE(m_form->isVisible());

    m_form->SSTab1->setCurrentIndex(kDescarga);
    QTest::mouseClick(m_form->CmdSiguiente.at(3), Qt::LeftButton);
    EXPECT_EQ(pagina(), kDescarga);
    EXPECT_EQ(m_server.requests().size(), 0);

    m_form->Form_Load();
    EXPECT_EQ(pagina(), kPresentacion);
}

TEST_F(InstaladorTest, CancelarEndsTheProgramOnlyAfterYes)
{
    const QString pregunta = "¿Realmente desea salir de la instalación?";
    for (int indice : {0, 1}) {
        m_form->SSTab1->setCurrentIndex(indice);
        ScriptedOperator op;
        op.answerMsgBox(vb::vbNo, caja(pregunta, vb::vbYesNo + vb::vbCritical, "Instalación"));
        op.answerMsgBox(vb::vbYes, caja(pregunta, vb::vbYesNo + vb::vbCritical, "Instalación"));
        m_fines = 0;
        QTest::mouseClick(m_form->CmdCancelar.at(indice), Qt::LeftButton);
        EXPECT_EQ(m_fines, 0);
        EXPECT_EQ(pagina(), indice);
        QTest::mouseClick(m_form->CmdCancelar.at(indice), Qt::LeftButton);
        EXPECT_EQ(m_fines, 1);
    }
}

TEST_F(InstaladorTest, FinalizarEndsTheProgram)
{
    m_form->SSTab1->setCurrentIndex(kFin);
    QTest::mouseClick(m_form->CmdFin, Qt::LeftButton);
    EXPECT_EQ(m_fines, 1);
}

TEST_F(InstaladorTest, TheFolderChecksKeepThePageUntilTheMainProgramAndTheConnectionsFileAreThere)
{
    const QString sinBases = enRaiz("sin_bases");
    escribir(QDir(sinBases).filePath("QB417ZT.exe"), "x");
    const QString sinPrograma = enRaiz("sin_programa");
    escribir(QDir(sinPrograma).filePath("BASES.TXT"), "x");
    const QString soloCarpeta = enRaiz("vacia");
    QDir().mkpath(soloCarpeta);
    struct Caso {
        QString ruta;
        QString texto;
        QString titulo;
    };
    const Caso casos[] = {
        {"", "Debe especificar la ruta del sistema para continuar.", "Instalación"},
        {sinBases, "No existe el sistema en la ruta especificada.", "Aviso al Operador"},
        {sinPrograma, "No existe el sistema en la ruta especificada.", "Aviso al Operador"},
        {soloCarpeta + "/", "No existe el sistema en la ruta especificada.", "Aviso al Operador"},
        {enRaiz("no_existe"), "No existe el sistema en la ruta especificada.", "Aviso al Operador"},
    };
    for (const Caso& c : casos) {
        ScriptedOperator op;
        op.answerMsgBox(vb::vbOK, caja(c.texto, vb::vbCritical, c.titulo));
        siguienteConRuta(c.ruta);
        EXPECT_EQ(pagina(), kUbicar) << c.ruta.toStdString();
        EXPECT_EQ(m_form->RutaSistema, c.ruta);
    }
    EXPECT_EQ(m_server.requests().size(), 0);
}

TEST_F(InstaladorTest, AFolderWithOrWithoutItsTrailingSeparatorIsAcceptedAlike)
{
    m_server.route(kRuta, respuesta(200, "modulo"));
    const QString carpeta = erp("Quorvela");
    for (const QString& ruta : {carpeta, carpeta + "/"}) {
        descargar(ruta);
        EXPECT_EQ(pagina(), kFin) << ruta.toStdString();
        EXPECT_EQ(m_form->RutaSistema, ruta);
        EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo");
    }
    EXPECT_EQ(m_server.requestCount(kRuta), 2);
}

TEST_F(InstaladorTest, AutomaticLocationReportsTheFolderOfTheFirstDrive)
{
    const QString enD = erp("D/Sistemas/Quorvela");
    erp("E/Quorvela");
    escribir(enRaiz("C/otro/programa.exe"), "x");
    win::setLogicalDrivesOverride({enRaiz("C") + "/", enRaiz("D") + "/", enRaiz("E") + "/"});
    m_form->SSTab1->setCurrentIndex(kUbicar);
    m_form->TxtRuta->setText("escrito antes");
    QTest::mouseClick(m_form->CmdUbicar, Qt::LeftButton);
    const QString carpeta = QDir::toNativeSeparators(enD) + QDir::separator();
    EXPECT_EQ(m_form->TxtRuta->text(), carpeta);
    EXPECT_EQ(m_form->LblInfo->text(), "Se ha encontrado " + carpeta +
                                           " como ruta de instalación de Quorvela.\nSi no es correcta, indiquela "
                                           "manualmente.");
    EXPECT_EQ(m_form->LblBuscando->text(), "...");
    EXPECT_EQ(m_form->BuscarArchivo("qb417zt.EXE"), carpeta + "QB417ZT.exe");
}

TEST_F(InstaladorTest, AutomaticLocationWithoutTheMainProgramAsksForTheFolder)
{
    escribir(enRaiz("C/QB417ZT.exe.bak"), "x");
    escribir(enRaiz("C/qb417zt.exe/dentro.txt"), "x");
    win::setLogicalDrivesOverride({enRaiz("C") + "/", enRaiz("sin_unidad") + "/"});
    m_form->SSTab1->setCurrentIndex(kUbicar);
    m_form->TxtRuta->setText("escrito antes");
    m_form->LblInfo->setText("info anterior");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, caja("No se pudo ubicar la carpeta de intalación. Indiquela manualmente.",
                                   vb::vbInformation, "Instalación"));
    QTest::mouseClick(m_form->CmdUbicar, Qt::LeftButton);
    EXPECT_EQ(m_form->TxtRuta->text(), "");
    EXPECT_EQ(m_form->LblInfo->text(), "info anterior");
    EXPECT_EQ(m_form->LblBuscando->text(), "...");
    EXPECT_EQ(m_form->BuscarArchivo("QB417ZT.exe"), "No encontrado");
}

TEST_F(InstaladorTest, IndicarRutaTakesTheFolderChosenInThePicker)
{
    const QString elegida = QDir::toNativeSeparators(erp("Elegida"));
    m_form->SSTab1->setCurrentIndex(kUbicar);
    m_form->TxtRuta->setText("escrito antes");
    m_form->LblInfo->setText("info anterior");
    kembtest::whenShown<FrmDir>([elegida](FrmDir* d) {
        d->findChild<DirListBox*>("Dir1")->setPath(elegida);
        d->findChild<QPushButton*>("CmdAceptar")->click();
    });
    QTest::mouseClick(m_form->CmdIndicarMan, Qt::LeftButton);
    EXPECT_EQ(m_form->TxtRuta->text(), elegida);
    EXPECT_EQ(m_form->LblInfo->text(), "");
    EXPECT_EQ(m_form->findChildren<FrmDir*>().size(), 0);
}

TEST_F(InstaladorTest, CancellingThePickerLeavesTheFolderAndTheInformation)
{
    m_form->SSTab1->setCurrentIndex(kUbicar);
    m_form->TxtRuta->setText("escrito antes");
    m_form->LblInfo->setText("info anterior");
    for (const bool conEscape : {false, true}) {
        kembtest::whenShown<FrmDir>([conEscape](FrmDir* d) {
            if (conEscape)
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->findChild<QPushButton*>("CmdCancelar")->click();
        });
        QTest::mouseClick(m_form->CmdIndicarMan, Qt::LeftButton);
        EXPECT_EQ(m_form->TxtRuta->text(), "escrito antes");
        EXPECT_EQ(m_form->LblInfo->text(), "info anterior");
    }
}

TEST_F(InstaladorTest, ExisteQBTakesTheFirstDriveWhoseFirstMatchSitsBesideTheMainProgram)
{
    escribir(enRaiz("C/a/leeme.txt"), "x");
    erp("C/b/Quorvela");
    const QString enD = erp("D/Quorvela");
    erp("E/Quorvela");
    win::setLogicalDrivesOverride({enRaiz("C") + "/", enRaiz("D") + "/", enRaiz("E") + "/"});
    QString carpeta = "sin tocar";
    EXPECT_TRUE(m_form->ExisteQB(carpeta));
    EXPECT_EQ(carpeta, QDir::toNativeSeparators(enD) + QDir::separator());

    escribir(enRaiz("F/leeme.txt"), "x");
    erp("F/Quorvela");
    win::setLogicalDrivesOverride({enRaiz("C") + "/", enRaiz("vacia") + "/", enRaiz("F") + "/"});
    carpeta = "sin tocar";
    EXPECT_FALSE(m_form->ExisteQB(carpeta));
    EXPECT_EQ(carpeta, "sin tocar");
}

TEST_F(InstaladorTest, ADownloadOfSeveralChunksShowsItsProgressAndInstallsTheModule)
{
    const QByteArray body = cuerpo(2500);
    m_server.route(kRuta, respuesta(200, body));
    const QString carpeta = erp("Quorvela");

    // What the label showed: its text each time it was painted.
    QStringList vistos;
    Pintadas espia(*m_form->LblDescarga, vistos);
    descargar(carpeta);

    EXPECT_TRUE(vistos.contains("Descargado 1024 kb de 2500 kb")) << vistos.join(" | ").toStdString();
    EXPECT_TRUE(vistos.contains("Descargado 2048 kb de 2500 kb")) << vistos.join(" | ").toStdString();
    EXPECT_EQ(m_form->LblDescarga->text(), "Descargado 2500 kb de 2500 kb");
    EXPECT_EQ(m_form->ProgressBar1->maximum(), 2500);
    EXPECT_EQ(m_form->ProgressBar1->value(), 0);
    EXPECT_EQ(pagina(), kFin);
    EXPECT_EQ(m_form->Label8->text(), "Descarga Correcta");
    EXPECT_EQ(m_form->LblEstadoDesc->text(), "El Archivo se descargo e instalo correctamente.");
    EXPECT_EQ(m_form->ArchivoTemporal, QDir(m_temp.path()).filePath(kModulo));
    EXPECT_EQ(leer(temporal()), body);
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), body);
    EXPECT_FALSE(QFileInfo::exists(QDir(carpeta).filePath("BCK_ACTUALIZACIONES")));
    ASSERT_EQ(m_server.requests().size(), 1);
    EXPECT_EQ(m_server.requests().front().method, "GET");
    EXPECT_EQ(m_server.requests().front().path, kRuta);
}

TEST_F(InstaladorTest, ASecondInstallKeepsTheOldModuleInTheBackupFolderReplacingAnOlderBackup)
{
    const QString carpeta = erp("Quorvela");
    escribir(QDir(carpeta).filePath(kModulo), "modulo anterior");
    escribir(QDir(carpeta).filePath("BCK_ACTUALIZACIONES/" + kModulo), "respaldo mas viejo y mas largo");
    m_server.route(kRuta, respuesta(200, "modulo nuevo"));
    descargar(carpeta);
    EXPECT_EQ(pagina(), kFin);
    EXPECT_EQ(leer(QDir(carpeta).filePath("BCK_ACTUALIZACIONES/" + kModulo)), "modulo anterior");
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo nuevo");
}

TEST_F(InstaladorTest, TheBackupFolderIsMadeWhenMissing)
{
    const QString carpeta = erp("Quorvela");
    escribir(QDir(carpeta).filePath(kModulo), "modulo anterior");
    m_server.route(kRuta, respuesta(200, "modulo nuevo"));
    descargar(carpeta);
    EXPECT_TRUE(QFileInfo(QDir(carpeta).filePath("BCK_ACTUALIZACIONES")).isDir());
    EXPECT_EQ(leer(QDir(carpeta).filePath("BCK_ACTUALIZACIONES/" + kModulo)), "modulo anterior");
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo nuevo");
}

TEST_F(InstaladorTest, AModuleThatCannotBeBackedUpIsNotReplaced)
{
    const QString carpeta = erp("Quorvela");
    escribir(QDir(carpeta).filePath(kModulo), "modulo anterior");
    escribir(QDir(carpeta).filePath("BCK_ACTUALIZACIONES"), "un archivo donde iria la carpeta");
    m_server.route(kRuta, respuesta(200, "modulo nuevo"));
    ScriptedOperator op;
    const QString carpetaConBarra = QDir::toNativeSeparators(carpeta) + QDir::separator();
    op.answerMsgBox(vb::vbOK, caja("No se pudo respaldar " + carpetaConBarra + kModulo + " en " + carpetaConBarra +
                                       "BCK_ACTUALIZACIONES. El módulo instalado no se reemplaza.",
                                   vb::vbCritical, "Instalación"));
    siguienteConRuta(carpeta);
    expectLiberado();
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo anterior");
    QTest::qWait(50);
    EXPECT_EQ(m_server.requests().size(), 0);
}

TEST_F(InstaladorTest, TheModuleIsWrittenWholeOverALongerEarlierFile)
{
    const QString carpeta = erp("Quorvela");
    const QByteArray body = cuerpo(3000);
    escribir(temporal(), QByteArray(10000, 'V'));
    escribir(QDir(carpeta).filePath(kModulo), QByteArray(9000, 'W'));
    m_server.route(kRuta, respuesta(200, body));
    descargar(carpeta);
    EXPECT_EQ(leer(temporal()), body);
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), body);
    EXPECT_EQ(leer(QDir(carpeta).filePath("BCK_ACTUALIZACIONES/" + kModulo)), QByteArray(9000, 'W'));
}

TEST_F(InstaladorTest, AFailedDownloadReplacesNothingAndLetsTheUserTryAgain)
{
    struct Caso {
        const char* nombre;
        kembtest::HttpResponse respuesta;
        QString texto;
        rlim_t lugar = 0; // bytes a file may take on the disk, 0 without a limit
    };
    kembtest::HttpResponse sinLargo = respuesta(200, cuerpo(3000));
    sinLargo.sendContentLength = false;
    kembtest::HttpResponse cortada = respuesta(200, cuerpo(2500));
    cortada.sendContentLength = false;
    cortada.headers = {{"Content-Length", "5000"}};
    const Caso casos[] = {
        {"404", respuesta(404, "pagina de error"), "No se pudo descargar el módulo: el servidor respondió 404."},
        {"500", respuesta(500, "pagina de error"), "No se pudo descargar el módulo: el servidor respondió 500."},
        {"sin Content-length", sinLargo, "No coinciden los tipos"},
        {"cortada", cortada, "La descarga del módulo quedó incompleta: se recibieron 2500 de 5000 bytes."},
        {"vacía", respuesta(200, ""), "La descarga del módulo llegó vacía: no se recibió ningún byte."},
        // The file's buffer once hid the short write of the last bytes, and the cut module counted as whole.
        {"disco lleno", respuesta(200, cuerpo(2500)), "Disco lleno", 1000},
    };
    const QString carpeta = erp("Quorvela");
    escribir(QDir(carpeta).filePath(kModulo), "modulo instalado");
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        escribir(temporal(), "descarga anterior");
        m_server.route(kRuta, c.respuesta);
        ScriptedOperator op;
        esperaFracaso(op, c.texto);
        {
            std::optional<kembtest::FileSizeLimit> limite;
            if (c.lugar)
                limite.emplace(c.lugar);
            descargar(carpeta);
        }
        expectLiberado();
        EXPECT_EQ(leer(temporal()), "descarga anterior");
        EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo instalado");
        EXPECT_EQ(leer(QDir(carpeta).filePath("BCK_ACTUALIZACIONES/" + kModulo)), "modulo instalado");
    }

    m_server.route(kRuta, respuesta(200, "modulo nuevo"));
    QTest::mouseClick(m_form->CmdSiguiente.at(1), Qt::LeftButton);
    ASSERT_TRUE(kembtest::waitUntil([this]() { return pagina() == kFin; }));
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo nuevo");
    EXPECT_EQ(leer(QDir(carpeta).filePath("BCK_ACTUALIZACIONES/" + kModulo)), "modulo instalado");
}

TEST_F(InstaladorTest, ATransferWithoutResponseFreesTheWizard)
{
    kembtest::HttpResponse colgada;
    colgada.hang = true;
    m_server.route(kRuta, colgada);
    m_form->Inet1->setRequestTimeout(1);
    const QString carpeta = erp("Quorvela");
    ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const Shown& s) {
        EXPECT_FALSE(s.prompt.isEmpty());
        EXPECT_EQ(s.buttons, vb::vbCritical);
    });
    descargar(carpeta);
    expectLiberado();
    EXPECT_FALSE(QFileInfo::exists(temporal()));
    EXPECT_FALSE(QFileInfo::exists(QDir(carpeta).filePath(kModulo)));
}

TEST_F(InstaladorTest, AModuleThatCannotBeCopiedIntoTheFolderIsNotReportedAsInstalled)
{
    const QString carpeta = erp("Quorvela");
    QDir(carpeta).mkpath(kModulo);
    m_server.route(kRuta, respuesta(200, "modulo nuevo"));
    descargar(carpeta);
    EXPECT_EQ(pagina(), kFin);
    EXPECT_EQ(m_form->Label8->text(), "Descarga Incorrecta");
    EXPECT_EQ(m_form->LblEstadoDesc->text(), "Ocurrio un error al descargar el archivo.");
    EXPECT_EQ(leer(temporal()), "modulo nuevo");
}

TEST_F(InstaladorTest, TheMenuStatementOfTheSalesModule)
{
    const QString esperada =
        "IF NOT EXISTS (SELECT * FROM TA_MENU WHERE CLAVE='D6001' AND TITULO='D60' AND MENU='RUMO') INSERT INTO "
        "TA_MENU (MENU,TITULO,CLAVE,NOMBRE,IMAGEN,PROCESO,HABILITADO,ORDEN) VALUES ('RUMO','D60','D6001','Carga de "
        "Comprobantes','Factura','SHELL:V_MV_VENTAS',1,'D6001')";
    for (const QString& opcion : {QString("V_MV_VENTAS.EXE"), QString("v_mv_ventas.exe")}) {
        QString codigo = "anterior";
        EXPECT_EQ(m_form->GeneraInsertMenu(opcion, codigo), esperada);
        EXPECT_EQ(codigo, "D6001");
    }
}

TEST_F(InstaladorTest, AModuleNotKnownGivesNoMenuStatement)
{
    for (const QString& opcion : {QString("V_MV_COMPRAS.EXE"), QString(""), QString("V_MV_VENTAS.EXE ")}) {
        QString codigo = "anterior";
        EXPECT_EQ(m_form->GeneraInsertMenu(opcion, codigo), "") << opcion.toStdString();
        EXPECT_EQ(codigo, "anterior");
    }
}

// A server that declares the module's length and drips it ten bytes at a time is left as stalled: the download
// ends as incomplete and neither the temporary file nor the installed module changes.
TEST_F(InstaladorTest, ADownloadThatStallsEndsAsIncompleteAndReplacesNothing)
{
    kembtest::ShortStallWindow ventana(500);
    // Ten bytes, then ten more every 1.5 windows: never a window without data, never a kilobyte in one.
    kembtest::DrippingServer goteo({0, 100000, 10, 750, std::nullopt});
    net::Site::setOverride(goteo.hostPort());
    const QString carpeta = erp("Quorvela");
    escribir(QDir(carpeta).filePath(kModulo), "modulo instalado");
    escribir(temporal(), "descarga anterior");
    ScriptedOperator op;
    esperaFracaso(op, "La descarga del módulo quedó incompleta: se recibieron 10 de 100000 bytes.");
    descargar(carpeta);
    EXPECT_TRUE(op.allAnswered());
    expectLiberado();
    EXPECT_EQ(leer(temporal()), "descarga anterior");
    EXPECT_EQ(QDir(m_temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{kModulo});
    EXPECT_EQ(leer(QDir(carpeta).filePath(kModulo)), "modulo instalado");
}

// Two kilobytes a window keep the module's download going to its end.
TEST_F(InstaladorTest, ASlowDownloadThatKeepsMovingInstallsTheModule)
{
    kembtest::ShortStallWindow ventana(1000);
    kembtest::DrippingServer lento({0, 3072, 256, 125, 3072});
    net::Site::setOverride(lento.hostPort());
    const QString carpeta = erp("Quorvela");
    descargar(carpeta);
    EXPECT_EQ(pagina(), kFin);
    EXPECT_EQ(m_form->Label8->text(), "Descarga Correcta");
    EXPECT_EQ(m_form->LblDescarga->text(), "Descargado 3072 kb de 3072 kb");
    EXPECT_TRUE(leer(QDir(carpeta).filePath(kModulo)) == kembtest::DrippingServer::body(3072));
}
