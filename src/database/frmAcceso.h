// The connection dialog "Control de Acceso": connection data boxes, the registered connections of
// "BASES.TXT", registering a new connection after testing it, and a desktop shortcut.
#pragma once

#include "database/LBM_Common.h"
#include "platform/vb/Variant.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmAcceso : public QDialog {
    Q_OBJECT

public:
    explicit frmAcceso(QWidget* parent = nullptr);

    // True when closed with "Aceptar" (or a double click on a registered connection).
    bool Aceptar = false;

    std::vector<QLabel*> Label1;
    QGroupBox* framAcceso;
    QLineEdit* TxtUserId;
    QLineEdit* TxtUserPassword;
    QLineEdit* TxtDbName;
    QLineEdit* TxtServidor;
    QComboBox* CboPlataformaDB;
    QLineEdit* TxtPuerto;
    QListWidget* lstBases;
    QPushButton* bcAceptar;
    QPushButton* bcCancelar;
    QPushButton* CmdRegistrar;
    QPushButton* CmdLineaComando;

    void LlenarList();
    // Looks a display name up in the file; true (and the record kept) when found.
    bool DatosBase(const QString& Nombre);
    void AsignarDatosBase();
    void MensajeInicial(QLineEdit* ObjTxt);
    bool ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario,
                           const QString& Password, const QString& Proveedor);
    bool EjecutarCmdRegDB(const QString& Archivo, QString& ErrDevuelto);

    void bcAceptar_Click();
    void bcCancelar_Click();
    void CmdRegistrar_Click();
    void CmdLineaComando_Click();
    void lstBases_DblClick();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    // Escape acts as "Cancelar".
    void reject() override;

private:
    void disenar();
    QString indicacion(const QLineEdit* caja) const;

    LBM_Common::Registro m_registro;
    QString m_servidor;
    QString m_baseDatos;
    QString m_usuario;
    QString m_password;
    vb::Variant m_puerto;
};
