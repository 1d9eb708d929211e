// The tree lookup window: the rows of a two-column statement (code, description) as a tree in which each
// code hangs under the code it extends; the operator finds, narrows, ticks or picks nodes, and the chosen
// codes go back through the public members.
#pragma once

#include "lookup/Coleccion.h"
#include "platform/vb/Variant.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class Lib_FrmCons3Tree : public QDialog {
    Q_OBJECT

public:
    explicit Lib_FrmCons3Tree(QWidget* parent = nullptr);

    QString SQL;
    // IDFAMILIA, IDPOSICION or CODIGO (any case): how the chosen codes are returned.
    QString CampoDevuelto;
    Coleccion CmpsDevueltos;
    bool CheckBoxes = false;
    QString gConnString;
    vb::Variant ValorDevuelto;
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    Coleccion Valores;
    Coleccion Cantidades;
    bool UsaCantidades = false;

    QWidget* picFields;
    std::vector<QComboBox*> CmbSearch;
    std::vector<QLabel*> lblFieldName;
    QTreeWidget* TreeV;
    QFrame* Frame1;
    QPushButton* CmdAceptar;
    QPushButton* CmdCancelar;
    QPushButton* CmdNueva;
    QMenu* MNU_Emergente;

    // Rebuilds the tree from the fixed statement over the article families.
    void ArmarTreeVFamilias();

    // The load step: builds the tree from SQL. The F5 filter runs it again.
    void Form_Load();
    // The unload step: clears the nodes.
    void Form_Unload();

    void CmbSearch_Change();
    void CmbSearch_KeyDown(int KeyCode, int Shift);
    void TreeV_NodeCheck(QTreeWidgetItem* Node);
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();

    // The node with the key (any case), or nullptr.
    QTreeWidgetItem* Nodo(const QString& clave) const;
    // The nodes in the order they were added, the root first.
    const std::vector<QTreeWidgetItem*>& Nodos() const { return m_nodos; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    // Escape acts as "Cancelar".
    void reject() override;

private:
    void disenar();
    void ArmarTreeVAutomatico();
    // The frame both builders share: the root, then one node per row under the parent `padre` chooses.
    void armar(const QString& rutina,
               const std::function<QString(const QString& clave, const std::vector<vb::Variant>& fila)>& padre);
    void limpiar();
    QTreeWidgetItem* agregar(const QString& padre, const QString& clave, const QString& texto);
    QString padreAutomatico(const QString& clave) const;
    void filtrar();
    vb::Variant buscarEn(const QString& tabla, const QString& campo, const QString& codigo, bool& hallado);

    std::vector<QTreeWidgetItem*> m_nodos;
    QHash<QString, QTreeWidgetItem*> m_claves;
    QString m_cabeza;
    QString m_cola;
    QString m_sqlInicial;
};
