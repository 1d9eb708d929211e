// The certificate assistant's window, the program's start-up and only main window: working mode, taxpayer
// number, point of sale, service addresses, key, request and certificate paths, the settings file
// "cfgelectronica.txt", the guided help and the advertising strip.
#pragma once

#include "util/cFindFiles.h"

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

class ClickableLabel;
class FrmDescargaOpenSSL;
class Inet;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class FrmCertificado : public QWidget {
    Q_OBJECT
public:
    explicit FrmCertificado(QWidget* parent = nullptr);

    // The first showing loads the window (Form_Load) before it appears.
    void setVisible(bool visible) override;

    // Controls, named as in the window's design.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    std::array<QCheckBox*, 2> ChkModo{};
    QLineEdit* TxtCUIT = nullptr;
    QLineEdit* TxtPDV = nullptr;
    QLineEdit* TxtWSFE = nullptr;
    QLineEdit* TxtWSAA = nullptr;
    QLineEdit* TxtRutaKey = nullptr;
    QLineEdit* TxtRutaCsr = nullptr;
    QLineEdit* TxtRutaCrt = nullptr;
    std::array<QPushButton*, 2> CmdBuscarCRT{};
    QPushButton* CmdAceptar = nullptr;
    ClickableLabel* LblProbarCRT = nullptr;
    ClickableLabel* LblCerrarAyuda = nullptr;
    ClickableLabel* LblListo = nullptr;
    ClickableLabel* LblObtenerKey = nullptr;
    ClickableLabel* LblAyuda = nullptr;
    ClickableLabel* PicPublicidad = nullptr;
    ClickableLabel* PicAux = nullptr;
    std::array<QFrame*, 4> PicAyuda{};
    std::array<QLabel*, 4> LblPicAyuda{};
    QTimer* Timer1 = nullptr;
    Inet* Inet1 = nullptr;

    // Window state.
    QString RutaConfiguracion;
    bool AyudaActiva = false;
    // The file finder of the last OpenSSL search.
    std::unique_ptr<cFindFiles> Buscador;

    // Event handlers.
    void Form_Load();
    void ChkModo_Click(int Index);
    void CmdAceptar_Click();
    void CmdBuscarCRT_Click(int Index);
    void LblListo_Click();
    void LblCerrarAyuda_Click();
    void LblAyuda_Click();
    // Tests the certificate against the services at the addresses of TxtWSFE and TxtWSAA.
    void LblProbarCRT_Click();
    void Timer1_Timer();
    void PicAux_Click();
    void PicPublicidad_Click();
    // Saves a completed response of Inet1 in the program's folder under the last part of its address.
    void Inet1_StateChanged(int State);

    // Writes `Linea` and CR LF to `Archivo`, replacing the file when `Nuevo`, appending otherwise; file
    // errors are passed over.
    void CrearArchivo(const QString& Archivo, const QString& Linea, bool Nuevo);
    // Writes the five lines of the settings file; the earlier file stays whole when the write fails.
    void GrabarDatos();
    // Lets the user choose a file; `Ruta` receives its full path, or "" when the choice was cancelled.
    void PExaminar(QString& Ruta, const QString& Filtro);
    // Shows (Ocultar false) or hides one step of the guided help.
    void MostrarAyuda(int Indice, bool Ocultar);
    // Logs in with the certificate and asks for the last voucher of the point of sale; on False `Mensaje` holds
    // the client's error text.
    bool CRTValido(int PtoVta, double Cuit, const QString& RutaCrt, const QString& RutaKey, QString& Mensaje);
    // Shows the wait window while the pictures download; puts the fixed picture in place when the list fails.
    void LeerArhcivoWeb(const QString& CarpetaImagenes);

    // "Obtener privada.key y clave.csr": generates both files and reports the outcome.
    void LblObtenerKey_Click();
    // Makes "privada.key" and then "clave.csr" in the OpenSSL folder through two command files; True with
    // their full paths in `RutaKey` and `RutaCsr`, otherwise False with the text to show in `MensajeError`.
    bool GenerarClave(QString& MensajeError, QString& RutaKey, QString& RutaCsr);
    // True for a CUIT of 11 to 13 characters whose weighted digits check; `Cuit` is left without "-", "/"
    // and blanks. A CUIT with a character that a command interpreter acts on is never valid.
    bool ValidaCuit(QString& Cuit);
    // True, with its folder in `RutaOpenssl`, when the default OpenSSL place has an entry.
    bool ExisteOpenssl(QString& RutaOpenssl);

private:
    void crearControles();
    void conectarEventos();
    void leerConfiguracion();
    // The picture folder: TEMP (or the library's temporary folder), "imagenes", the executable's name;
    // each missing level is created.
    QString carpetaImagenes() const;

    // Writes a command file of three lines (the drive and folder lines for `Carpeta`, then `Orden`), starts it
    // and waits until it has ended.
    void ejecutarComandos(const QString& Archivo, const QString& Carpeta, const QString& Orden);
    // The OpenSSL download window, created on first use and kept, so that a later showing finds it as it was left.
    FrmDescargaOpenSSL& descargaOpenssl();

    bool m_cargado = false;
    FrmDescargaOpenSSL* m_descargaOpenssl = nullptr;
};
