#include "lookup/Lib_ClsCons3.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextLines.h"
#include "platform/vb/Twips.h"

#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <memory>

using vb::Compare;

namespace {

constexpr qsizetype kLargoRegistro = 1202;
constexpr long kTopePorOmision = 1000;
constexpr int kTwipsPorLetra = 120;

bool contiene(const QString& texto, const QString& buscado)
{
    return vb::InStr(texto, buscado, Compare::Text) > 0;
}

bool igual(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A stock level: its configured value, or the number 0 when that is empty.
vb::Variant nivel(const QString& clave)
{
    const QString valor = ModGlobal::Cfg(clave);
    return valor.isEmpty() ? vb::Variant(0) : vb::Variant(valor);
}

// A field of a layout record, in the ANSI code page.
QString campoDe(const QByteArray& registro, qsizetype desde, qsizetype largo)
{
    return vb::fromAnsi(registro.mid(desde, largo));
}

int anchoPantalla()
{
    const QScreen* pantalla = QGuiApplication::primaryScreen();
    return pantalla ? pantalla->geometry().width() * 15 : 0;
}

} // namespace

Lib_ClsCons3::Lib_ClsCons3()
{
    vb::ResumeNext([&] {
        CmpsDevueltos = NuevaColeccion();
        Valores = NuevaColeccion();
    });
    vb::ResumeNext([&] { MuestraStock = ModGlobal::Cfg(QStringLiteral("MostrarStockenConsultas")); });
    vb::ResumeNext([&] {
        StkNivel1 = nivel(QStringLiteral("Stk_Nivel1"));
        StkNivel2 = nivel(QStringLiteral("Stk_Nivel2"));
        StkNivel3 = nivel(QStringLiteral("Stk_Nivel3"));
        StkNivel4 = nivel(QStringLiteral("Stk_Nivel4"));
    });
    vb::ResumeNext([&] { m_consultaLike = igual(ModGlobal::Cfg(QStringLiteral("UsaConsultaLike")), "SI"); });
}

Lib_ClsCons3::~Lib_ClsCons3()
{
    CmpsDevueltos = nullptr;
    Valores = nullptr;
}

// ---- the statement ----

long Lib_ClsCons3::topeFilas() const
{
    const auto tope = static_cast<long>(vb::Val(ModGlobal::Cfg(QStringLiteral("TopConsArt"))));
    return tope == 0 ? kTopePorOmision : tope;
}

// Reads the fixed records of the layout file until one names the table.
bool Lib_ClsCons3::buscarMascara(const QString& nombre, Mascara& mascara)
{
    QFile archivo(gRutaMascaraConsultas);
    if (!archivo.open(QIODevice::ReadOnly))
        return false;
    const QByteArray datos = archivo.readAll();
    const auto limpio = [this](const QString& texto) {
        return vb::Trim(m_utilidades.QuitarCaracteres(texto, QString(QChar(0)), QString(QChar(0xFF))));
    };
    for (qsizetype desde = 0; desde < datos.size(); desde += kLargoRegistro) {
        QByteArray registro = datos.mid(desde, kLargoRegistro);
        registro.resize(kLargoRegistro, '\0');
        if (!igual(limpio(campoDe(registro, 100, 100)), vb::Trim(nombre)))
            continue;
        mascara = {limpio(campoDe(registro, 100, 100)), campoDe(registro, 200, 500),
                   limpio(campoDe(registro, 700, 500))};
        return true;
    }
    return false;
}

bool Lib_ClsCons3::sentenciaDeMascara(const Mascara& mascara, long tope, QString& SQL, QString& CampoBusqueda,
                                      const QString& Where)
{
    QString tabla = mascara.tabla;
    QString columnas = vb::Trim(m_utilidades.Reemplazar(mascara.columnas, QStringLiteral("|"), QStringLiteral(",")));
    if (columnas.startsWith(QLatin1Char(',')))
        columnas.remove(0, 1);
    if (columnas.endsWith(QLatin1Char(',')))
        columnas.chop(1);
    if (columnas.isEmpty())
        columnas = QStringLiteral("*");
    if (CampoBusqueda.isEmpty()) {
        const int coma = vb::InStr(columnas, QStringLiteral(","));
        if (coma == 0) {
            vb::MsgBox(QStringLiteral("Debe configurar la consulta para esta tabla"), vb::vbInformation,
                       QStringLiteral("Aviso al operador"));
            return false;
        }
        CampoBusqueda = vb::Left(columnas, coma - 1);
    }
    QString filtro = mascara.filtro;
    if (filtro.isEmpty() && !vb::Trim(Where).isEmpty())
        filtro = Where;
    if (igual(tabla, "VT_PROVEEDORES") || igual(tabla, "VT_CLIENTES")) {
        if (filtro.isEmpty())
            filtro = QStringLiteral("Dada_De_Baja = 0");
    } else if (igual(tabla, "V_MA_ARTICULOS")) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
        if (filtro.isEmpty())
            filtro = QStringLiteral("SUSPENDIDO = 0");
    }
    const QString donde = (vb::Trim(filtro).isEmpty() ? QString() : QStringLiteral(" WHERE ")) + filtro;
    const QString cabeza = QStringLiteral("SELECT TOP ") + QString::number(tope) + QStringLiteral(" ") + columnas +
                           QStringLiteral(" FROM ") + tabla;
    SQL = CampoBusqueda.isEmpty()
              ? cabeza + QStringLiteral(" with(nolock) ") + donde
              : cabeza + QStringLiteral("  with(nolock) ") + donde + QStringLiteral(" ORDER BY ") + CampoBusqueda;
    return true;
}

// Lists the table's own columns (a one-row probe) and sorts on its description-like column. A sort
// column that is still unknown leaves the ORDER BY out rather than sending an incomplete statement.
void Lib_ClsCons3::sentenciaAutomatica(long tope, QString& SQL, QString& CampoBusqueda, const QString& Where,
                                       const QString& SentenciaOpcional)
{
    if (!SentenciaOpcional.isEmpty()) {
        SQL = SentenciaOpcional;
        return;
    }
    QString columnas;
    if (igual(SQL, "V_TA_DEPOSITO")) {
        columnas = QStringLiteral("Descripcion,IdDeposito,UnidadNegocio,");
        CampoBusqueda = QStringLiteral("IDDEPOSITO");
    } else {
        DB_Dll& db = ModGlobal::gDB();
        ado::Recordset rs;
        QString prueba = QStringLiteral("select top 1 * from ") + SQL;
        vb::ResumeNext([&] {
            db.AbrirRecordset(prueba, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdUnspecified,
                              true);
        });
        const bool conClaves = igual(SQL, "v_mv_mutuales") || igual(SQL, "V_MV_TROPA_STOCK");
        vb::ResumeNext([&] {
            for (int i = 0; i < rs.FieldCount(); ++i) {
                const QString nombre = rs.Fields(i).Name();
                if (igual(nombre, "ID") || igual(nombre, "FECHAHORA_MODIFICACION") ||
                    igual(nombre, "FECHAHORA_GRABACION")) {
                    if (!conClaves)
                        continue;
                    CampoBusqueda = nombre;
                } else if (igual(nombre, "DESCRIPCION") || igual(nombre, "NOMBRE") || igual(nombre, "DETALLE")) {
                    CampoBusqueda = nombre;
                } else if (columnas.isEmpty()) {
                    CampoBusqueda = nombre;
                }
                columnas = nombre + QStringLiteral(",") + columnas;
            }
        });
        vb::ResumeNext([&] { db.CierraRecordset(rs); });
    }
    columnas = vb::Trim(columnas).isEmpty() ? QStringLiteral(" * ") : columnas.chopped(1);
    const QString filtro = QStringLiteral(" ") + Where;
    SQL = QStringLiteral("SELECT TOP ") + QString::number(tope) + QStringLiteral(" ") + columnas +
          QStringLiteral(" FROM ") + SQL + (vb::Trim(filtro).isEmpty() ? QString() : QStringLiteral(" WHERE ")) +
          filtro + (CampoBusqueda.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + CampoBusqueda);
}

void Lib_ClsCons3::ConsultaSearch(QString SQL, Coleccion* CmpsDevueltos, const QString& Clave, QString* CampoBusqueda,
                                  QString* Where, const QString& SentenciaOpcional, bool TreeView,
                                  const QString& ValoresDefault)
{
    QString campoPropio;
    QString dondePropio;
    QString& campo = CampoBusqueda ? *CampoBusqueda : campoPropio;
    QString& donde = Where ? *Where : dondePropio;

    if (vb::Trim(donde).size() > 1 && !donde.startsWith(QLatin1Char('(')))
        donde = QStringLiteral(" (") + donde + QStringLiteral(") ");
    const long tope = topeFilas();
    if (contiene(SQL, QStringLiteral("SELECT"))) {
        SQL = m_utilidades.ReemplazarTexto(SQL, QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS"));
        if (!vb::Trim(donde).isEmpty()) {
            if (!contiene(donde, QStringLiteral("WHERE")))
                donde = QStringLiteral(" WHERE ") + donde;
            SQL += donde;
        }
    } else if (!gUsarMascarasConsultas) {
        sentenciaAutomatica(tope, SQL, campo, donde, SentenciaOpcional);
    } else {
        // A missing layout file falls back to the automatic statement, as a file without the table does.
        Mascara mascara;
        if (!buscarMascara(SQL, mascara))
            sentenciaAutomatica(tope, SQL, campo, donde, SentenciaOpcional);
        else if (!sentenciaDeMascara(mascara, tope, SQL, campo, donde))
            return;
    }

    if (TreeView)
        mostrarArbol(SQL);
    else
        mostrarLista(SQL, CmpsDevueltos, Clave, campo, ValoresDefault);

    CampoDevuelto.clear();
    if (CmpsDevueltos && *CmpsDevueltos) {
        while ((*CmpsDevueltos)->Count() > 0)
            (*CmpsDevueltos)->Remove(1);
        *CmpsDevueltos = nullptr;
    }
}

void Lib_ClsCons3::mostrarLista(const QString& SQL, Coleccion* CmpsDevueltos, const QString& Clave,
                                const QString& CampoBusqueda, const QString& ValoresDefault)
{
    auto ventana = std::make_unique<Lib_FrmCons3>();
    ventana->StkNivel1 = StkNivel1;
    ventana->StkNivel2 = StkNivel2;
    ventana->StkNivel3 = StkNivel3;
    ventana->StkNivel4 = StkNivel4;
    ventana->MuestraStock = MuestraStock;
    ventana->CfgUsaConsultaLIKE = m_consultaLike;
    ventana->OrdenarPorLwv = !contiene(SQL, QStringLiteral("ORDER BY"));
    ventana->FiltroInicial = Clave;
    ventana->CampoBusqueda = CampoBusqueda;
    if (gConnString.isEmpty())
        gConnString = ModGlobal::gDB().gConnString;
    ventana->SQL = SQL;
    ventana->gConnString = gConnString;
    ventana->CampoDevuelto = CampoDevuelto;
    ventana->CheckBoxes = Checks;
    ventana->UsaCantidades = UsaCantidades;
    ventana->ValoresDefault = ValoresDefault;
    Valores = nullptr;
    Cantidades = nullptr;
    ventana->CmpsDevueltos = CmpsDevueltos ? *CmpsDevueltos : nullptr;
    ventana->Valores = nullptr;
    ventana->Cantidades = nullptr;
    // The window is new, so the only ticks it holds after loading are the caller's default values.
    ventana->Form_Load();
    ventana->exec();
    Checks = false;
    Valores = ventana->Valores;
    Cantidades = ventana->Cantidades;
    ValorDevuelto = ventana->ValorDevuelto;
    ventana->CampoDevuelto.clear();
    ventana->Valores = nullptr;
    ventana->Cantidades = nullptr;
    ventana->Form_Unload();
}

void Lib_ClsCons3::mostrarArbol(const QString& SQL)
{
    auto ventana = std::make_unique<Lib_FrmCons3Tree>();
    ventana->SQL = SQL;
    ventana->CampoDevuelto = CampoDevuelto;
    ventana->CheckBoxes = Checks;
    Valores = nullptr;
    ventana->Form_Load();
    ventana->exec();
    ValorDevuelto = ventana->ValorDevuelto;
    Valores = ventana->Valores;
    Checks = false;
    ventana->Form_Unload();
}

// ---- option pickers and file lookup ----

Lib_FrmCons3* Lib_ClsCons3::ventanaDeOpciones(const QString& Titulo, bool casillas)
{
    auto* ventana = new Lib_FrmCons3;
    ventana->Form_Load();
    ventana->setWindowTitle(Titulo);
    ventana->CmdNueva->hide();
    ventana->OrdenarPorLwv = true;
    ventana->SQL.clear();
    ventana->gConnString.clear();
    ventana->CampoDevuelto = Titulo;
    ventana->CheckBoxes = casillas;
    ventana->MostrarCasillas(casillas);
    QTreeWidget* lista = ventana->ListView1;
    ventana->CmbSearch[0]->resize(lista->width(), ventana->CmbSearch[0]->height());
    lista->setColumnCount(1);
    lista->headerItem()->setText(0, Titulo);
    lista->setColumnWidth(0, lista->width());
    return ventana;
}

void Lib_ClsCons3::mostrarOpciones(Lib_FrmCons3& ventana, int medida)
{
    const int ancho = medida * kTwipsPorLetra;
    const int pantalla = anchoPantalla();
    ventana.resize(vb::twips(ancho < pantalla ? ancho : pantalla), ventana.height());
    ventana.update();
    ventana.exec();
}

// A single option is shown too: the one option is still a choice.
QString Lib_ClsCons3::CheckOpciones(const QString& Titulo, const Coleccion&, const QStringList& Opc)
{
    std::unique_ptr<Lib_FrmCons3> ventana(ventanaDeOpciones(Titulo, true));
    int medida = static_cast<int>(Titulo.size());
    for (const QString& opcion : Opc) {
        QTreeWidgetItem* item = ventana->AgregarItem(vb::Mid(opcion, 2));
        if (opcion.startsWith(QLatin1Char('1')))
            item->setCheckState(0, Qt::Checked);
        medida = std::max(medida, static_cast<int>(opcion.size()));
    }
    mostrarOpciones(*ventana, medida);
    Valores = ventana->Valores;
    ventana->Form_Unload();
    return QString();
}

QString Lib_ClsCons3::elegirTexto(const QString& Titulo, const QStringList& textos)
{
    std::unique_ptr<Lib_FrmCons3> ventana(ventanaDeOpciones(Titulo, false));
    int medida = static_cast<int>(Titulo.size());
    for (const QString& texto : textos) {
        ventana->AgregarItem(texto);
        medida = std::max(medida, static_cast<int>(texto.size()));
    }
    mostrarOpciones(*ventana, medida);
    const QString elegida = ventana->ValorDevuelto.toString();
    ventana->Form_Unload();
    return elegida;
}

QString Lib_ClsCons3::MenuOpciones(const QString& Titulo, const QStringList& Opc)
{
    return elegirTexto(Titulo, Opc);
}

QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString&)
{
    if (!ModGlobal::ExisteArchivo(QueArchivo)) {
        vb::MsgBox(QStringLiteral("No existe el archivo ") + QueArchivo +
                       QStringLiteral(" que desea consultar consulta "),
                   vb::vbOKOnly, QString());
        return QString();
    }
    return elegirTexto(Titulo, vb::ReadTextLines(QueArchivo));
}
