// The list lookup window: runs one statement, shows its rows in a report list with a search box above each
// column, narrows and sorts the list, remembers column widths per table and hands the chosen rows back.
#pragma once

#include "lookup/Coleccion.h"
#include "platform/ado/Recordset.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Variant.h"

#include <QDialog>
#include <vector>

class DB_Dll;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;

class Lib_FrmCons3 : public QDialog {
    Q_OBJECT

public:
    explicit Lib_FrmCons3(QWidget* parent = nullptr);

    // Colour values (the run-time's &HBBGGRR numbers) of the four stock levels of article rows.
    vb::Variant StkNivel1;
    vb::Variant StkNivel2;
    vb::Variant StkNivel3;
    vb::Variant StkNivel4;
    // "SI" (any case) colours article rows by stock.
    QString MuestraStock;
    QString SQL;
    // Header text of the column whose value is returned.
    QString CampoDevuelto;
    // Header texts of further columns whose values go to Valores.
    Coleccion CmpsDevueltos;
    bool CheckBoxes = false;
    QString gConnString;
    vb::Variant ValorDevuelto;
    // Put into the first search box after loading.
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    Coleccion Valores;
    Coleccion Cantidades;
    bool UsaCantidades = false;
    // Values to pre-check, or "@10" for wider columns.
    QString ValoresDefault;
    bool CfgUsaConsultaLIKE = false;
    // Save the column widths on unload.
    bool GrabarCfg = false;
    // Open the list through the lookup connection gDBConsulta instead of gDB.
    bool UsarUDBC = false;

    QPushButton* CmdNuevo;
    QLabel* Label1;
    QPushButton* CmdTodos;
    QWidget* picFields;
    std::vector<QComboBox*> CmbSearch;
    std::vector<QLabel*> lblFieldName;
    QTreeWidget* ListView1;
    QScrollBar* HScroll1;
    QFrame* Frame1;
    QPushButton* CmdAceptar;
    QPushButton* CmdCancelar;
    QPushButton* CmdNueva;

    // Sizes the window to its columns.
    void CalcularAncho();
    // Adds every row of the open record set to the list; the arguments do not change what is read.
    void Leer(long Cdesde, short Cuantas);
    // Builds the columns and the search boxes from the open record set.
    void Encolumnar();
    // The 1-based position of the first item whose value in the column starts with QueValor, or 0.
    long Busqueda(short Columna, const QString& QueValor);
    // The 1-based number of the first column whose header is Columna (any case), or 0.
    short IndiceColumna(const QString& Columna);

    // Adds a list item with the given text (unticked when the list shows check boxes).
    QTreeWidgetItem* AgregarItem(const QString& texto);
    // Shows or hides the list's check boxes.
    void MostrarCasillas(bool mostrar);

    // The load step: runs SQL and fills the list. The search runs it again after changing SQL.
    void Form_Load();
    // The unload step: saves the widths when asked and clears the list.
    void Form_Unload();

    void CmbSearch_GotFocus(int Index);
    void CmbSearch_LostFocus(int Index);
    void CmbSearch_Change(int Index);
    void CmbSearch_KeyDown(int Index, int KeyCode, int Shift);
    void CmdNueva_Click();
    void ListView1_ColumnClick(int Index);
    void HScroll1_Change();

    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdTodos_Click();
    // Starts the module that registers a new record of the table shown.
    void CmdNuevo_Click();
    void ListView1_KeyDown(int KeyCode, int Shift);
    // The window sees keys first: F12 reports a missing article. True when it took the key.
    bool Form_KeyDown(int KeyCode, int Shift);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    // Keys that no control took (on a button, for instance) still reach the window's own handler.
    void keyPressEvent(QKeyEvent* evento) override;
    // Escape acts as "Cancelar".
    void reject() override;

private:
    void disenar();
    QComboBox* nuevaCaja(int indice);
    DB_Dll& baseDeLista();
    QString nombreTabla(const QString& sentencia) const;
    vb::Variant colorFila();
    void agregarFila(const vb::Variant& color);
    void ordenar();
    void LeerAnchos();
    void GrabarAnchos();
    void alinearCaja(int columna, double ancho);
    QString valorColumna(QTreeWidgetItem* item, int columna, const QString& actual) const;
    void seleccionarActual();
    void filtrar(int Index);
    void cantidad(int KeyCode, int Shift);
    void agregarALaBusqueda(int KeyCode);
    void informarFaltante();
    int indiceCaja(const QObject* objeto) const;
    bool teclaDeLista(int KeyCode, int Shift);

    bool EsArticulos = false;
    QString NombreTabla;
    QString SQLInicial;
    QString SQLBase;
    QString SQLSufijo;
    ado::Recordset RsConsulta;
    QTreeWidgetItem* ItemActual = nullptr;
    short IndiceBusqueda = 0;
    ClsUtilidades Utilidades;

    bool m_conCasillas = false;
    bool m_ordenada = false;
    int m_columnaOrden = 0;
    Qt::SortOrder m_orden = Qt::AscendingOrder;
};
