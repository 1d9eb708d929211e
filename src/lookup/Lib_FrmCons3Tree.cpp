#include "lookup/Lib_FrmCons3Tree.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/CondicionConsulta.h"
#include "lookup/ControlesConsulta.h"
#include "lookup/TeclasVB.h"
#include "platform/ado/Recordset.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringBuilder>
#include <QTreeWidget>
#include <algorithm>

using vb::Compare;

namespace {

constexpr int kNivelesDeTilde = 6;
const QString kRaiz = QStringLiteral("A");

// Every family with, as its relative, the largest shorter family code that sorts before it.
const QString kSentenciaFamilias =
    QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, ") +
    QStringLiteral("(SELECT     TOP 1 idfamilia FROM @Admin_v_ta_familias a  ") +
    QStringLiteral(" Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < "
                   "Len(LTrim(RTrim(b.IdFamilia)))) ") +
    QStringLiteral(" ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY "
                   "IdFamilia");

QString clave(const QTreeWidgetItem* nodo)
{
    return nodo->data(0, Qt::UserRole).toString();
}

bool teclaDeBusqueda(int codigo)
{
    return codigo == TeclasVB::vbKeyDown || codigo == TeclasVB::vbKeyUp || codigo == TeclasVB::vbKeyPageDown ||
           codigo == TeclasVB::vbKeyPageUp;
}

} // namespace

Lib_FrmCons3Tree::Lib_FrmCons3Tree(QWidget* parent) : QDialog(parent)
{
    disenar();
    connect(CmdAceptar, &QPushButton::clicked, this, &Lib_FrmCons3Tree::CmdAceptar_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &Lib_FrmCons3Tree::CmdCancelar_Click);
    connect(CmdNueva, &QPushButton::clicked, this, &Lib_FrmCons3Tree::CmdNueva_Click);
    connect(TreeV, &QTreeWidget::itemDoubleClicked, this, &Lib_FrmCons3Tree::CmdAceptar_Click);
    connect(TreeV, &QTreeWidget::itemChanged, this, &Lib_FrmCons3Tree::TreeV_NodeCheck);
    connect(CmbSearch[0], &QComboBox::editTextChanged, this, &Lib_FrmCons3Tree::CmbSearch_Change);
    connect(CmbSearch[0], &QComboBox::activated, this, &Lib_FrmCons3Tree::CmbSearch_Change);
    CmbSearch[0]->installEventFilter(this);
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
}

// The window's design: a 5910 by 4530 twips client area.
void Lib_FrmCons3Tree::disenar()
{
    setObjectName(QStringLiteral("Lib_FrmCons3Tree"));
    setWindowTitle(QStringLiteral("Consulta..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(vb::twipsSize(5910, 4530));

    picFields = new QWidget(this);
    picFields->setObjectName(QStringLiteral("picFields"));
    picFields->setGeometry(vb::twips(0, 0, 5910, 4035));
    auto* caja = ControlesConsulta::CajaBusqueda(picFields);
    caja->setGeometry(vb::twips(0, 0, 5895, 315));
    CmbSearch.push_back(caja);
    lblFieldName.push_back(new QLabel(picFields));
    lblFieldName[0]->setObjectName(QStringLiteral("lblFieldName"));
    lblFieldName[0]->hide();
    TreeV = new QTreeWidget(picFields);
    TreeV->setObjectName(QStringLiteral("TreeV"));
    TreeV->setGeometry(vb::twips(0, 330, 5895, 3705));
    TreeV->setHeaderHidden(true);
    TreeV->setRootIsDecorated(true);
    TreeV->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeV->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setGeometry(vb::twips(0, 4080, 5910, 450));
    CmdAceptar =
        ControlesConsulta::Boton(Frame1, "CmdAceptar", QStringLiteral("&Aceptar"), vb::twips(120, 0, 1695, 375));
    CmdAceptar->setDefault(true);
    CmdCancelar =
        ControlesConsulta::Boton(Frame1, "CmdCancelar", QStringLiteral("&Cancelar"), vb::twips(2100, 0, 1695, 375));
    CmdNueva =
        ControlesConsulta::Boton(Frame1, "CmdNueva", QStringLiteral("&Nueva Busqueda"), vb::twips(4080, 0, 1695, 375));

    MNU_Emergente = new QMenu(this);
    MNU_Emergente->setObjectName(QStringLiteral("MNU_Emergente"));
    MNU_Emergente->addAction(QStringLiteral("Llenar Con Posibles Valores"));
    MNU_Emergente->addSeparator();
    MNU_Emergente->addAction(QStringLiteral("Cancelar"));
}

// ---- nodes ----

QTreeWidgetItem* Lib_FrmCons3Tree::Nodo(const QString& clave) const
{
    return m_claves.value(clave.toUpper(), nullptr);
}

void Lib_FrmCons3Tree::limpiar()
{
    const QSignalBlocker bloqueo(TreeV);
    TreeV->clear();
    m_nodos.clear();
    m_claves.clear();
}

// Adds a node under the node `padre`: error 35602 when the key is taken, 35601 when the parent is missing.
QTreeWidgetItem* Lib_FrmCons3Tree::agregar(const QString& padre, const QString& claveNueva, const QString& texto)
{
    const QString llave = claveNueva.toUpper();
    if (m_claves.contains(llave))
        throw vb::Error(35602, QStringLiteral("La clave no es única en la colección"), QStringLiteral("TreeView"));
    QTreeWidgetItem* arriba = padre.isNull() ? nullptr : Nodo(padre);
    if (!padre.isNull() && !arriba)
        throw vb::Error(35601, QStringLiteral("No se encontró el elemento"), QStringLiteral("TreeView"));
    const QSignalBlocker bloqueo(TreeV);
    auto* nodo =
        arriba ? new QTreeWidgetItem(arriba, QStringList{texto}) : new QTreeWidgetItem(TreeV, QStringList{texto});
    nodo->setData(0, Qt::UserRole, claveNueva);
    if (CheckBoxes)
        nodo->setCheckState(0, Qt::Unchecked);
    m_nodos.push_back(nodo);
    m_claves.insert(llave, nodo);
    return nodo;
}

// The longest key already in the tree that the new key starts with. Keys are unique without regard to case,
// so the new key's own prefixes, longest first, are looked up in the key index: no two nodes can tie.
QString Lib_FrmCons3Tree::padreAutomatico(const QString& claveNueva) const
{
    // The index holds keys in upper case; each prefix is looked up over the same characters, uncopied. A key
    // whose upper case has another length (a letter that becomes two) has its prefixes raised one by one.
    const QString mayusculas = claveNueva.toUpper();
    const bool mismoLargo = mayusculas.size() == claveNueva.size();
    for (qsizetype largo = claveNueva.size(); largo > kRaiz.size(); --largo) {
        const QTreeWidgetItem* nodo = mismoLargo ? m_claves.value(QString::fromRawData(mayusculas.constData(), largo))
                                                 : Nodo(claveNueva.left(largo));
        if (nodo)
            return clave(nodo);
    }
    return kRaiz;
}

// ---- load step and builders ----

void Lib_FrmCons3Tree::Form_Load()
{
    if (m_sqlInicial.isEmpty())
        m_sqlInicial = SQL;
    vb::RunSteps(
        {[&] { return Valores = NuevaColeccion(), true; },
         [&] {
             limpiar();
             return true;
         },
         [&] {
             if (vb::InStr(SQL, QStringLiteral("v_ta_familias"), Compare::Text) > 0)
                 ArmarTreeVFamilias();
             else
                 ArmarTreeVAutomatico();
             return true;
         }},
        [](const vb::Error& e) { return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("FORM_LOAD")); });
}

void Lib_FrmCons3Tree::ArmarTreeVFamilias()
{
    SQL = kSentenciaFamilias;
    armar(QStringLiteral("ArmarTreeVFamilias"), [](const QString&, const std::vector<vb::Variant>& fila) {
        const vb::Variant relativo = fila.size() > 2 ? fila[2] : vb::Variant::Null();
        return relativo.isNull() ? kRaiz : kRaiz + relativo.toString();
    });
}

void Lib_FrmCons3Tree::ArmarTreeVAutomatico()
{
    armar(QStringLiteral("ArmarTreeVAutomatico"),
          [this](const QString& claveNueva, const std::vector<vb::Variant>&) { return padreAutomatico(claveNueva); });
}

void Lib_FrmCons3Tree::armar(const QString& rutina,
                             const std::function<QString(const QString&, const std::vector<vb::Variant>&)>& padre)
{
    DB_Dll& db = ModGlobal::gDB();
    ClsUtilidades utilidades;
    ado::Recordset rs;
    const auto manejar = [&](const vb::Error& e) { return ModGlobal::TratamientoErrores(e, std::nullopt, rutina); };
    // The nodes are hung under the root while it is out of the tree, so that the view is not told of each one
    // as it comes; the root goes back, expanded, however the build ends.
    QTreeWidgetItem* raiz = nullptr;
    const vb::Flow flujo =
        vb::RunSteps({[&] {
                          limpiar();
                          TreeV->setRootIsDecorated(true);
                          raiz = agregar(QString(), kRaiz, QStringLiteral("Consulta..."));
                          TreeV->takeTopLevelItem(TreeV->indexOfTopLevelItem(raiz));
                          return true;
                      },
                      [&] {
                          db.AbrirRecordset(SQL, rs, db.gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly,
                                            ado::adCmdUnspecified, true);
                          return !(rs.Bof() && rs.Eof());
                      },
                      [&] {
                          rs.MoveFirst();
                          rs.MoveLast();
                          rs.MoveFirst();
                          return true;
                      }},
                     manejar);
    // Each row's values are taken as its node is built, into one vector used again for every row: the rows
    // are not held a second time beside the record set's own.
    std::vector<vb::Variant> fila;
    if (flujo == vb::Flow::Next) {
        const auto nodos = static_cast<size_t>(std::max(0L, rs.RecordCount())) + m_nodos.size();
        m_nodos.reserve(nodos);
        m_claves.reserve(static_cast<qsizetype>(nodos));
    }
    for (; flujo == vb::Flow::Next && !rs.Eof(); rs.MoveNext()) {
        fila.clear();
        for (int c = 0; c < rs.FieldCount(); ++c)
            fila.push_back(rs.Fields(c).Value());
        const auto nodo = [&] {
            const QString codigo = utilidades.ValorCampo(fila.at(0)).toString();
            const QString descripcion = utilidades.ValorCampo(fila.at(1)).toString();
            // Each built in one allocation of its own size.
            const QString claveNueva = kRaiz % codigo;
            agregar(padre(claveNueva, fila), claveNueva, codigo % QStringLiteral(" - ") % descripcion);
        };
        if (vb::RunStatement(nodo, manejar) == vb::Flow::Leave)
            break;
    }
    if (raiz) {
        TreeV->insertTopLevelItem(0, raiz);
        raiz->setExpanded(true);
    }
    db.CierraRecordset(rs);
    // The first node is current once the tree is built, so Enter right away hands it back.
    if (!m_nodos.empty())
        TreeV->setCurrentItem(m_nodos.front());
}

void Lib_FrmCons3Tree::Form_Unload()
{
    limpiar();
}

// ---- search, filter and ticks ----

void Lib_FrmCons3Tree::CmbSearch_Change()
{
    vb::ResumeNext([&] {
        const QString texto = CmbSearch[0]->currentText();
        for (QTreeWidgetItem* nodo : m_nodos) {
            const QString t = nodo->text(0);
            const int guion = vb::InStr(t, QStringLiteral("-"));
            const QString codigo = guion > 0 ? vb::Trim(vb::Left(t, guion - 1)) : t;
            const QString descripcion = guion > 0 ? vb::Trim(vb::Mid(t, guion + 1)) : t;
            if (codigo.startsWith(texto, Qt::CaseInsensitive) || descripcion.startsWith(texto, Qt::CaseInsensitive)) {
                TreeV->setCurrentItem(nodo);
                TreeV->scrollToItem(nodo);
                return;
            }
        }
    });
}

void Lib_FrmCons3Tree::CmbSearch_KeyDown(int KeyCode, int)
{
    if (KeyCode == TeclasVB::vbKeyF5)
        filtrar();
    else if (teclaDeBusqueda(KeyCode))
        vb::ResumeNext([&] { TreeV->setFocus(); });
}

// Narrows the rows to descriptions containing the box's text, before any ORDER BY tail. A statement without
// one is narrowed as a whole.
void Lib_FrmCons3Tree::filtrar()
{
    QComboBox* caja = CmbSearch[0];
    vb::ResumeNext([&] { caja->setProperty("Tag", QStringLiteral("Descripcion")); });
    vb::ResumeNext([&] {
        m_cola.clear();
        const int orden = vb::InStr(SQL, QStringLiteral("order by"), Compare::Text);
        m_cabeza = orden > 0 ? vb::Left(SQL, orden - 1) : SQL;
        if (orden > 0)
            m_cola = vb::Mid(SQL, orden);
    });
    vb::ResumeNext([&] {
        const bool conCondicion = vb::InStr(SQL, QStringLiteral("where"), Compare::Text) > 0;
        if (conCondicion)
            m_cabeza = CondicionConsulta::EncerrarCondicion(m_cabeza);
        SQL = m_cabeza + (conCondicion ? QStringLiteral(" and ") : QStringLiteral(" where ")) +
              caja->property("Tag").toString() +
              CondicionConsulta::Like(QStringLiteral("%") + caja->currentText() + QStringLiteral("%")) + m_cola;
    });
    vb::ResumeNext([&] { caja->setEditText(QString()); });
    vb::ResumeNext([&] { m_cabeza = SQL; });
    vb::ResumeNext([&] { Form_Load(); });
}

// A ticked or unticked node passes its state down six levels of descendants.
void Lib_FrmCons3Tree::TreeV_NodeCheck(QTreeWidgetItem* Node)
{
    if (!CheckBoxes)
        return;
    const QSignalBlocker bloqueo(TreeV);
    std::vector<QTreeWidgetItem*> nivel{Node};
    for (int n = 0; n < kNivelesDeTilde; ++n) {
        std::vector<QTreeWidgetItem*> siguiente;
        for (QTreeWidgetItem* padre : nivel)
            for (int i = 0; i < padre->childCount(); ++i) {
                padre->child(i)->setCheckState(0, padre->checkState(0));
                siguiente.push_back(padre->child(i));
            }
        nivel = siguiente;
    }
}

// ---- results ----

// The field named by CampoDevuelto of the row of `tabla` whose `campo` holds the code.
vb::Variant Lib_FrmCons3Tree::buscarEn(const QString& tabla, const QString& campo, const QString& codigo, bool& hallado)
{
    DB_Dll& db = ModGlobal::gDB();
    ado::Recordset rs;
    vb::Variant valor;
    hallado = db.ExisteEnTabla(tabla, codigo, campo, &rs, 8, QString(), true);
    if (hallado)
        valor = ClsUtilidades().ValorCampo(rs.Fields(CampoDevuelto).Value());
    db.CierraRecordset(rs);
    return valor;
}

void Lib_FrmCons3Tree::CmdAceptar_Click()
{
    const QString campo = CampoDevuelto.toUpper();
    const auto manejar = [](const vb::Error& e) {
        return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("CmdAceptar_Click"));
    };
    const auto codigoDe = [](const QTreeWidgetItem* nodo) { return clave(nodo).mid(1); };
    if (CheckBoxes) {
        vb::RunSteps({[&] {
                          for (const QTreeWidgetItem* nodo : m_nodos) {
                              if (nodo->checkState(0) != Qt::Checked)
                                  continue;
                              const QString codigo = codigoDe(nodo);
                              bool hallado = false;
                              if (campo == QLatin1String("IDFAMILIA") || campo == QLatin1String("CODIGO")) {
                                  Agregar(Valores, vb::Trim(codigo));
                              } else if (campo == QLatin1String("IDPOSICION")) {
                                  const vb::Variant valor =
                                      buscarEn(QStringLiteral("MA_POSICIONES"), campo, codigo, hallado);
                                  if (hallado)
                                      Agregar(Valores, valor);
                              }
                          }
                          return true;
                      },
                      [&] { return hide(), true; }},
                     manejar);
        return;
    }
    QString codigo;
    vb::RunSteps({[&] {
                      // An empty tree has no node to hand back: accepting it does nothing.
                      const QTreeWidgetItem* nodo = TreeV->currentItem();
                      if (nodo)
                          codigo = codigoDe(nodo);
                      return nodo != nullptr;
                  },
                  [&] {
                      bool hallado = false;
                      if (campo == QLatin1String("IDFAMILIA")) {
                          const vb::Variant v =
                              buscarEn(QStringLiteral("@admin_V_TA_FAMILIAS"), campo, codigo, hallado);
                          ValorDevuelto = hallado ? v : vb::Variant(QString());
                      } else if (campo == QLatin1String("IDPOSICION")) {
                          const vb::Variant v = buscarEn(QStringLiteral("MA_POSICIONES"), campo, codigo, hallado);
                          ValorDevuelto = hallado ? v : vb::Variant(QString());
                      } else if (campo == QLatin1String("CODIGO")) {
                          vb::Variant v = buscarEn(QStringLiteral("TA_CCOSTO"), campo, codigo, hallado);
                          if (!hallado)
                              v = buscarEn(QStringLiteral("MA_CUENTAS"), campo, codigo, hallado);
                          ValorDevuelto = hallado ? v : vb::Variant(QString());
                      }
                      return true;
                  },
                  [&] { return hide(), true; }},
                 manejar);
}

void Lib_FrmCons3Tree::CmdCancelar_Click()
{
    vb::ResumeNext([&] { ValorDevuelto = QString(); });
    vb::ResumeNext([&] { CmpsDevueltos = nullptr; });
    vb::ResumeNext([&] { Valores = nullptr; });
    vb::ResumeNext([&] { hide(); });
}

void Lib_FrmCons3Tree::reject()
{
    CmdCancelar_Click();
}

// "Nueva Busqueda" goes back to the statement first given, with the builder the load step chooses for it,
// so every F5 filter is undone.
void Lib_FrmCons3Tree::CmdNueva_Click()
{
    vb::ResumeNext([&] { SQL = m_sqlInicial; });
    vb::ResumeNext([&] { Form_Load(); });
}

bool Lib_FrmCons3Tree::eventFilter(QObject* objeto, QEvent* evento)
{
    if (objeto == CmbSearch[0] && evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        const int codigo = TeclasVB::KeyCode(*tecla);
        CmbSearch_KeyDown(codigo, TeclasVB::Shift(*tecla));
        return codigo == TeclasVB::vbKeyF5 || teclaDeBusqueda(codigo);
    }
    return QDialog::eventFilter(objeto, evento);
}
