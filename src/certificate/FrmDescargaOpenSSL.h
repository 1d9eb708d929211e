// The window shown when OpenSSL is not in its default place: the user gives its folder, downloads and
// starts its installer, or cancels. The outcome is handed back in oAceptar and oRutaSSL.
#pragma once

#include <QDialog>
#include <QString>

class Inet;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class FrmDescargaOpenSSL : public QDialog {
    Q_OBJECT

public:
    explicit FrmDescargaOpenSSL(QWidget* parent = nullptr);

    // True when closed with "Aceptar", false with "Cancelar".
    bool oAceptar = false;
    // After "Aceptar" the trimmed folder typed; during a download the installer's path.
    QString oRutaSSL;

    void CmdExaminar_Click();
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdDescargar_Click();
    void Inet1_StateChanged(int State);

    // The installer's download address on the maker's site.
    static QString DireccionDescarga();

protected:
    // The window has no close box: closing it otherwise counts as "Cancelar", and is refused during a download.
    void reject() override;

private:
    void design();
    void guardarInstalador();
    void errorDescarga(const std::exception& e);
    void habilitarBotones(bool habilitar);

    QLabel* Label2 = nullptr;
    QLineEdit* TxtRUta = nullptr;
    QPushButton* CmdExaminar = nullptr;
    QPushButton* CmdCancelar = nullptr;
    QPushButton* CmdDescargar = nullptr;
    QPushButton* CmdAceptar = nullptr;
    QLabel* LblProceso = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    Inet* Inet1 = nullptr;
};
