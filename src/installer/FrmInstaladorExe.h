// The module installer wizard: it finds the ERP's installation folder, backs up the module it replaces,
// downloads the new module into that folder with a progress display, and carries the registration of
// the module's menu entry and task rows in every registered database.
#pragma once

#include "database/LBM_Common.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <map>

class Inet;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QWidget;

class FrmInstaladorExe : public QDialog {
    Q_OBJECT

public:
    explicit FrmInstaladorExe(QWidget* parent = nullptr);

    // The ERP folder as last accepted from TxtRuta.
    QString RutaSistema;
    // The module executable to install; a host may name another before the download starts.
    QString NombreExe = QStringLiteral("V_MV_VENTAS.EXE");
    // Where the download is written before it is copied into the ERP folder.
    QString ArchivoTemporal;

    QTabWidget* SSTab1 = nullptr;
    QWidget* Picture1 = nullptr;
    QWidget* Picture2 = nullptr;
    QWidget* Picture4 = nullptr;
    QWidget* Picture5 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TxtRuta = nullptr;
    QLabel* LblBuscando = nullptr;
    QLabel* LblInfo = nullptr;
    QPushButton* CmdIndicarMan = nullptr;
    QPushButton* CmdUbicar = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* LblDescarga = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Image6 = nullptr;
    QLabel* Image4 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* LblEstadoDesc = nullptr;
    QLabel* Image7 = nullptr;
    QLabel* Image5 = nullptr;
    QPushButton* CmdFin = nullptr;
    // Control arrays, by index: "Siguiente" 0, 1 and 3; "Cancelar" 0 and 1.
    std::map<int, QPushButton*> CmdSiguiente;
    std::map<int, QPushButton*> CmdCancelar;
    Inet* Inet1 = nullptr;

    void Form_Load();
    void CmdSiguiente_Click(int Index);
    void CmdCancelar_Click(int Index);
    void CmdFin_Click();
    void CmdUbicar_Click();
    void CmdIndicarMan_Click();

    // Full path of the first file of that name over all drives, from the first drive on; "No encontrado".
    QString BuscarArchivo(const QString& ArchivoBuscado);
    // Searches every drive with the file finder for the main program; true with its folder in `carpeta`.
    bool ExisteQB(QString& carpeta);

    // Backs up the installed module and starts the download; Inet1_StateChanged goes on from there.
    void DescargarModulo();
    void Inet1_StateChanged(int State);

    // The menu statement of a module executable; `CodigoTarea` receives its task code. "" for a module
    // this installer does not know, whose task code is left as it was.
    QString GeneraInsertMenu(const QString& Opcion, QString& CodigoTarea) const;

    // Registers NombreExe's menu entry and a task row for every user of the main program in each database
    // of "BASES.TXT", through the shared connection, which stays on the last database that opened.
    void AutorizaEInserta();

    // The module's download address on the maker's site.
    static QString DireccionDescarga();

    // The program's end; tests see it instead of the program ending (an empty function restores it).
    using Fin = std::function<void()>;
    static void setFin(Fin fin);

protected:
    // The window has no close box: only its buttons leave it.
    void reject() override;

private:
    void design();
    void designPresentacion();
    void designUbicar();
    void designDescarga();
    void designFin();
    QWidget* pagina(const QString& titulo, const char* panel);
    void siguienteDesdeRuta();
    bool respaldarModulo();
    void guardarModulo();
    void instalarModulo();
    void errorDescarga(const std::exception& e);
    void volverARuta();
    void registrarEnBase(const LBM_Common::Registro& registro);
    QString permisosDeUsuarios(const QString& codigoTarea);
    static void ejecutarAvisando(QString sentencia);
    static void terminar();
};
