// The window shown when a scanned or typed code names no article: a notice, and, when the configuration
// allows it, the quick registration of the article (barcode, description, price) with the description taken
// from the maker's master article service. The caller reads pAceptar and CodArtNuevo after it hides.
#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class FrmArtAlta : public QDialog {
    Q_OBJECT

public:
    explicit FrmArtAlta(QWidget* parent = nullptr);

    // True when closed with the register button (or F2), false with cancel (or Escape).
    bool pAceptar = false;
    // In: the code PonerCodigo puts into the barcode field. Out: the id of the article created, "" when none.
    QString CodArtNuevo;
    // The price list a new article joins; "" adds no price row.
    QString pIdLista;
    // Declared for callers; the window does not read it.
    bool DesdeConsulta = false;

    void PonerCodigo();
    void AltaArticulos();
    // The master service's description of a barcode; pError tells a failed look-up, Mensaje why.
    QString ObtenerDescMaestra(const QString& Codigo, bool& pError, QString& Mensaje);

    void Form_Load();
    void Form_KeyDown(int KeyCode, int Shift);
    void CmdAlta_Click();
    void CmdCancelar_Click();
    void CmdMaestro_Click();
    void Txtfields_KeyDown(int Index, int& KeyCode, int Shift);

    // The master article service's address for an operation, its values encoded for a query.
    static QUrl DireccionMaestra(const QString& opcion, const QList<QPair<QString, QString>>& valores);

protected:
    // The form previews every key of its controls before they act on it.
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    // Escape and the window's close are the cancel button.
    void reject() override;

private:
    void design();
    QLineEdit* campo(const QString& tag) const;
    void avisarMaestra(const QString& barras, const QString& descripcion) const;
    bool ejecutar(QString sentencia) const;
    // Whether the article look-up already knows the right-aligned id.
    bool idOcupado(const QString& rellenado) const;

    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QFrame* FramAlta = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    std::vector<QLineEdit*> Txtfields;
    QLabel* LblProceso = nullptr;
    QPushButton* CmdMaestro = nullptr;
    QPushButton* CmdAlta = nullptr;
    QPushButton* CmdCancelar = nullptr;
};
