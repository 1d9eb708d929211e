#include "lookup/Lib_FrmCons3.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/CondicionConsulta.h"
#include "lookup/ConsultasLen.h"
#include "lookup/ControlesConsulta.h"
#include "lookup/TeclasVB.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Date.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"

#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <cmath>

using vb::Compare;

namespace {

constexpr int kTwipsPorPixel = 15;
constexpr int kCampoInexistente = 3265;
constexpr int kAnchoBoton = 1695;
const QString kAviso = QStringLiteral("Aviso al Operador");

// A list row that sorts its column's text without regard to case, as the report list does.
class ItemLista : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& otro) const override
    {
        const int columna = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(columna).compare(otro.text(columna), Qt::CaseInsensitive) < 0;
    }
};

// The module that registers a record of a table, and its extra parameter (none: the table's name).
struct ModuloDeAlta {
    const char* tabla;
    const char* ejecutable;
    const char* adicional;
};
const ModuloDeAlta kModulosDeAlta[] = {
    {"V_TA_RUBROS", "SHELL:V_TA_TABLAS", nullptr},  {"V_TA_UNIDAD", "SHELL:V_TA_TABLAS", nullptr},
    {"VT_CLIENTES", "SHELL:V_MA_CLIENTES", "1"},    {"VT_PROVEEDORES", "SHELL:V_MA_CLIENTES", "0"},
    {"V_TA_Tecnicos", "SHELL:V_TA_Tecnicos", ""},   {"V_TA_VENDEDORES", "SHELL:V_TA_VENDEDORES", ""},
    {"V_MA_ARTICULOS", "SHELL:V_MA_ARTICULOS", ""}, {"VT_MA_ARTICULOS", "SHELL:V_MA_ARTICULOS", ""},
};

bool igual(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// The default values are a list with ";" or "," between them. A row is ticked only when its value is one
// of them: a value that merely occurs inside the list (an empty code, or "A" in "A1") is not a default.
bool esValorDefault(const QString& lista, const QString& valor)
{
    if (valor.isEmpty())
        return false;
    for (const QChar separador : {QLatin1Char(';'), QLatin1Char(',')})
        for (const QString& elemento : lista.split(separador))
            if (vb::Trim(elemento).compare(valor, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

double enTwips(int pixeles)
{
    return static_cast<double>(pixeles) * kTwipsPorPixel;
}

int enPixeles(double twips)
{
    return vb::twips(static_cast<int>(std::lround(twips)));
}

// The run-time's &HBBGGRR colour number.
QColor colorVB(const vb::Variant& valor)
{
    const long long c = valor.toLongLong();
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

void fondo(QWidget* control, const QColor& color)
{
    QPalette p = control->palette();
    p.setColor(QPalette::Base, color);
    control->setPalette(p);
}

// A quote inside a value must not end the statement's text literal.
QString literal(const QString& valor)
{
    return QString(valor).replace(QLatin1Char('\''), QStringLiteral("''"));
}

// A cell's quantity is the leading number of its text as it was written: the window writes it with the locale's
// decimal separator ("2,50"), the database with a period ("2.50"; "1.000" is one). Whichever of the two comes
// first is the decimal point; neither groups thousands.
double numero(const QString& texto)
{
    const QString decimal = QLocale().decimalPoint();
    const qsizetype coma = texto.indexOf(decimal);
    const qsizetype punto = texto.indexOf(QLatin1Char('.'));
    if (coma < 0 || (punto >= 0 && punto <= coma))
        return vb::Val(texto);
    return vb::Val(QString(texto).replace(coma, decimal.size(), QLatin1Char('.')));
}

// A typed quantity is formatted as the run-time formats a text: read in the user's locale first.
double numeroEscrito(const QString& texto)
{
    return ClsUtilidades().TextoANumero(texto).toDouble();
}

// The "########0.0" and "########0.00" formats: no grouping, the locale's decimal separator.
QString formato(double valor, int decimales)
{
    QLocale local;
    local.setNumberOptions(QLocale::OmitGroupSeparator);
    return local.toString(valor, 'f', decimales);
}

} // namespace

Lib_FrmCons3::Lib_FrmCons3(QWidget* parent) : QDialog(parent)
{
    disenar();
    connect(CmdAceptar, &QPushButton::clicked, this, &Lib_FrmCons3::CmdAceptar_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &Lib_FrmCons3::CmdCancelar_Click);
    connect(CmdNueva, &QPushButton::clicked, this, &Lib_FrmCons3::CmdNueva_Click);
    connect(CmdTodos, &QPushButton::clicked, this, &Lib_FrmCons3::CmdTodos_Click);
    connect(CmdNuevo, &QPushButton::clicked, this, &Lib_FrmCons3::CmdNuevo_Click);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &Lib_FrmCons3::CmdAceptar_Click);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int seccion) { ListView1_ColumnClick(seccion + 1); });
    connect(HScroll1, &QScrollBar::valueChanged, this, &Lib_FrmCons3::HScroll1_Change);
    ListView1->installEventFilter(this);
}

// The window's design: a 7260 by 5025 twips client area.
void Lib_FrmCons3::disenar()
{
    setObjectName(QStringLiteral("Lib_FrmCons3"));
    setWindowTitle(QStringLiteral("Consulta..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(vb::twipsSize(7260, 5025));

    CmdNuevo = ControlesConsulta::Boton(this, "CmdNuevo", QStringLiteral("N&uevo"), vb::twips(0, 0, 1095, 375));
    Label1 = new QLabel(QStringLiteral("CONSULTA"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(vb::twips(1080, 0, 6135, 375));
    Label1->setAutoFillBackground(true);
    QPalette p = Label1->palette();
    p.setColor(QPalette::Window, colorVB(vb::Variant(0x0080C0FF)));
    Label1->setPalette(p);
    CmdTodos = ControlesConsulta::Boton(this, "CmdTodos", QStringLiteral("&Marcar"), vb::twips(1680, 0, 1455, 375));

    picFields = new QWidget(this);
    picFields->setObjectName(QStringLiteral("picFields"));
    picFields->setGeometry(vb::twips(0, 360, 7200, 4215));
    CmbSearch.push_back(nuevaCaja(0));
    CmbSearch[0]->setGeometry(vb::twips(0, 0, 1815, 315));
    lblFieldName.push_back(new QLabel(picFields));
    lblFieldName[0]->setObjectName(QStringLiteral("lblFieldName"));
    lblFieldName[0]->hide();
    ListView1 = new QTreeWidget(picFields);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(vb::twips(0, 360, 7335, 3495));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setAllColumnsShowFocus(true);
    // Every row has the list's one bold font, so rows are of one height: moving to a row found by a search
    // then needs no layout of every row above it.
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setColumnCount(0);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setGeometry(vb::twips(0, 4200, 7215, 255));
    HScroll1->setSingleStep(480);
    HScroll1->setPageStep(480);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setGeometry(vb::twips(15, 4560, 7080, 375));
    CmdAceptar =
        ControlesConsulta::Boton(Frame1, "CmdAceptar", QStringLiteral("&Aceptar"), vb::twips(323, 0, kAnchoBoton, 375));
    CmdAceptar->setDefault(true);
    CmdCancelar = ControlesConsulta::Boton(Frame1, "CmdCancelar", QStringLiteral("&Cancelar"),
                                           vb::twips(2760, 0, kAnchoBoton, 375));
    CmdNueva = ControlesConsulta::Boton(Frame1, "CmdNueva", QStringLiteral("&Nueva Busqueda"),
                                        vb::twips(5160, 0, kAnchoBoton, 375));
}

QComboBox* Lib_FrmCons3::nuevaCaja(int indice)
{
    auto* caja = ControlesConsulta::CajaBusqueda(picFields);
    if (indice > 0)
        caja->setGeometry(CmbSearch[0]->geometry());
    connect(caja, &QComboBox::editTextChanged, this, [this, indice] { CmbSearch_Change(indice); });
    connect(caja, &QComboBox::activated, this, [this, indice] { CmbSearch_Change(indice); });
    caja->installEventFilter(this);
    return caja;
}

DB_Dll& Lib_FrmCons3::baseDeLista()
{
    return UsarUDBC ? ModGlobal::gDBConsulta() : ModGlobal::gDB();
}

QTreeWidgetItem* Lib_FrmCons3::AgregarItem(const QString& texto)
{
    auto* item = new ItemLista(ListView1, QStringList{texto});
    if (m_conCasillas)
        item->setCheckState(0, Qt::Unchecked);
    return item;
}

void Lib_FrmCons3::MostrarCasillas(bool mostrar)
{
    m_conCasillas = mostrar;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (mostrar)
            item->setCheckState(0, item->checkState(0));
        else
            item->setData(0, Qt::CheckStateRole, QVariant());
    }
}

// ---- load step, columns and rows ----

// The word after the first "from": from the character after it up to the first blank from 5 characters on.
QString Lib_FrmCons3::nombreTabla(const QString& sentencia) const
{
    const int desde = vb::InStr(sentencia, QStringLiteral("from"), Compare::Text);
    const int blanco = vb::InStr(desde + 5, sentencia, QStringLiteral(" "));
    const int largo = blanco - (desde + 4);
    if (largo < 0)
        throw vb::Error(5, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
    return vb::Trim(vb::Mid(sentencia, desde + 4, largo));
}

void Lib_FrmCons3::Form_Load()
{
    vb::RunSteps(
        {[&] { return EsArticulos = vb::InStr(SQL, QStringLiteral("articulos"), Compare::Text) > 0, true; },
         [&] {
             Valores = NuevaColeccion();
             Cantidades = NuevaColeccion();
             return true;
         },
         [&] {
             ListView1->clear();
             QFont letra = ListView1->font();
             letra.setBold(true);
             letra.setPointSize(10);
             ListView1->setFont(letra);
             return true;
         },
         [&] {
             if (!vb::Trim(SQL).isEmpty())
                 return true;
             Utilidades.ConfigurarFormulario(this, false);
             return false;
         },
         [&] { return SQL += QStringLiteral(" "), true; }, [&] { return NombreTabla = nombreTabla(SQL), true; },
         [&] {
             if (SQLInicial.isEmpty())
                 SQLInicial = SQL;
             SQLBase = SQL;
             return true;
         },
         [&] {
             // The database rewrites the text it is given; the window keeps its own statement.
             QString sentencia = SQL;
             baseDeLista().AbrirRecordset(sentencia, RsConsulta, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly,
                                          ado::adCmdUnspecified, true);
             return true;
         },
         [&] { return MostrarCasillas(CheckBoxes), true; }, [&] { return Encolumnar(), true; },
         [&] { return Leer(1, 0), true; },
         [&] {
             if (OrdenarPorLwv)
                 m_ordenada = true;
             if (m_ordenada)
                 ordenar();
             return true;
         },
         [&] {
             if (!vb::Trim(FiltroInicial).isEmpty())
                 CmbSearch[0]->setEditText(FiltroInicial);
             return true;
         },
         [&] { return baseDeLista().CierraRecordset(RsConsulta), true; }, [&] { return LeerAnchos(), true; },
         [&] { return CalcularAncho(), true; }, [&] { return Utilidades.ConfigurarFormulario(this, false), true; }},
        [](const vb::Error& e) { return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("FORM_LOAD")); });
}

void Lib_FrmCons3::Encolumnar()
{
    try {
        ListView1->setColumnCount(0);
        static const QRegularExpression precio(QStringLiteral("^PRECIO([1-8])$"),
                                               QRegularExpression::CaseInsensitiveOption);
        const bool articulos = vb::InStr(SQL, QStringLiteral("V_MA_ARTICULOS"), Compare::Text) > 0 ||
                               vb::InStr(SQL, QStringLiteral("STK_MA_ARTICULOS"), Compare::Text) > 0;
        const int campos = RsConsulta.FieldCount();
        for (int j = 0; j < campos; ++j) {
            ado::Field campo = RsConsulta.Fields(j);
            long w = campo.DefinedSize();
            if (campo.Type() == 6 || campo.Type() == 131)
                w = 12;
            if (j > 0) {
                if (j >= static_cast<int>(CmbSearch.size()))
                    CmbSearch.push_back(nuevaCaja(j));
                setTabOrder(CmbSearch[j - 1], CmbSearch[j]);
            }
            CmbSearch[j]->setProperty("Tag", campo.Name());
            CmbSearch[j]->setVisible(true);
            w = std::min(w, 60L);
            QString titulo = campo.Name();
            if (articulos) {
                if (const auto m = precio.match(campo.Name()); m.hasMatch())
                    titulo = ModGlobal::Cfg(QStringLiteral("NOM_PCLASE") + m.captured(1));
            } else if (ValoresDefault.compare(QStringLiteral("@10"), Qt::CaseInsensitive) == 0) {
                w += 10;
            }
            ListView1->setColumnCount(j + 1);
            ListView1->headerItem()->setText(j, titulo);
            ListView1->setColumnWidth(j, fontMetrics().horizontalAdvance(QString(w, QLatin1Char('X'))));
        }
    } catch (const vb::Error& e) {
        vb::MsgBox(e.Description(), vb::vbOKOnly, QString());
    }
}

void Lib_FrmCons3::Leer(long, short)
{
    vb::Variant color;
    const auto manejar = [&color](const vb::Error& e) {
        if (e.Number() == kCampoInexistente) {
            color = vb::Variant();
            return vb::kContinue;
        }
        return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("FORM_LOAD"));
    };
    // A test of the row position that fails ends the reading, so a record set that could not be opened
    // is reported once instead of in an endless loop.
    bool vacio = true;
    if (vb::RunStatement([&] { vacio = RsConsulta.Bof(); }, manejar) == vb::Flow::Leave || vacio)
        return;
    const auto marcar = [&] {
        if (!CheckBoxes || ValoresDefault.isEmpty())
            return;
        const QString valor = vb::Trim(Utilidades.ValorCampo(RsConsulta.Fields(CampoDevuelto).Value()).toString());
        if (esValorDefault(ValoresDefault, valor))
            ItemActual->setCheckState(0, Qt::Checked);
    };
    for (;;) {
        bool fin = true;
        const vb::Flow flujo = vb::RunSteps({[&] { return fin = RsConsulta.Eof(), !fin; },
                                             [&] {
                                                 if (EsArticulos)
                                                     color = colorFila();
                                                 return true;
                                             },
                                             [&] {
                                                 const QString texto =
                                                     Utilidades.ValorCampo(RsConsulta.Fields(0).Value()).toString();
                                                 return ItemActual = AgregarItem(vb::Trim(texto)), true;
                                             },
                                             [&] { return marcar(), true; }, [&] { return agregarFila(color), true; },
                                             [&] { return RsConsulta.MoveNext(), true; }},
                                            manejar);
        if (flujo == vb::Flow::Leave || fin)
            return;
    }
}

vb::Variant Lib_FrmCons3::colorFila()
{
    const auto moneda = [this](const QString& nombre) {
        return vb::Currency::fromDouble(Utilidades.ValorCampo(RsConsulta.Fields(nombre).Value(), true).toDouble());
    };
    const vb::Currency pp = moneda(QStringLiteral("PUNTOPEDIDO"));
    const vb::Currency s = moneda(QStringLiteral("Stock"));
    const vb::Currency cero;
    if (pp == cero && s > cero)
        return StkNivel1;
    if (pp > cero && s > pp)
        return StkNivel2;
    if (pp > cero && s < pp)
        return StkNivel3;
    return StkNivel4;
}

// The sub-items of the current row, coloured by stock when asked.
void Lib_FrmCons3::agregarFila(const vb::Variant& color)
{
    const bool colorear = MuestraStock.compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0 && EsArticulos &&
                          !vb::Trim(color.isNull() ? QString() : color.toString()).isEmpty();
    const int campos = RsConsulta.FieldCount();
    for (int j = 1; j < campos; ++j) {
        // Without a width the text keeps its own length.
        ItemActual->setText(
            j, Utilidades.AlinearDerecha(Utilidades.ValorCampo(RsConsulta.Fields(j).Value()).toString(), 0));
        if (colorear)
            vb::ResumeNext([&] {
                const QColor c = colorVB(color);
                for (int k : {0, j}) {
                    QFont letra = ItemActual->font(k);
                    letra.setBold(true);
                    ItemActual->setFont(k, letra);
                    ItemActual->setForeground(k, c);
                }
            });
    }
}

void Lib_FrmCons3::ordenar()
{
    ListView1->sortItems(m_columnaOrden, m_orden);
}

// ---- layout and the column-width file ----

void Lib_FrmCons3::alinearCaja(int columna, double ancho)
{
    if (columna >= static_cast<int>(CmbSearch.size()))
        return;
    const int izquierda = ListView1->x() + ListView1->header()->x() + ListView1->header()->sectionPosition(columna);
    QComboBox* caja = CmbSearch[columna];
    caja->setGeometry(izquierda, caja->y(), enPixeles(ancho), caja->height());
}

void Lib_FrmCons3::LeerAnchos()
{
    const QString ruta = ConsultasLen::RutaArchivo();
    if (!ModGlobal::ExisteArchivo(ruta))
        return;
    if (NombreTabla.compare(QStringLiteral("Stk_ma_articulos"), Qt::CaseInsensitive) == 0)
        NombreTabla = QStringLiteral("VT_MA_ARTICULOS");
    try {
        for (const ConsultasLen::Registro& r : ConsultasLen::Leer(ruta)) {
            if (r.tabla.compare(NombreTabla, Qt::CaseInsensitive) != 0)
                continue;
            QString lista = r.anchos;
            for (int i = 0; i < ListView1->columnCount(); ++i) {
                QString texto;
                if (!ConsultasLen::TomarAncho(lista, texto))
                    return;
                const double w = Utilidades.TextoANumero(texto).toDouble();
                ListView1->setColumnWidth(i, enPixeles(w));
                alinearCaja(i, w);
            }
        }
    } catch (const vb::Error&) {
        return;
    }
}

void Lib_FrmCons3::CalcularAncho()
{
    double total = 0;
    for (int i = 0; i < ListView1->columnCount(); ++i) {
        const double ancho = enTwips(ListView1->columnWidth(i));
        alinearCaja(i, ancho - 50);
        total += ancho;
    }
    ListView1->resize(enPixeles(total + 360), ListView1->height());
    picFields->resize(enPixeles(std::round(total) + 360), picFields->height());
    HScroll1->resize(enPixeles(total), HScroll1->height());
    const double anchoCuadro = enTwips(picFields->width());
    HScroll1->setMaximum(anchoCuadro > 32700 ? 32700 : static_cast<int>(std::lround((anchoCuadro + 480) * 0.6)));
    const QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
    const double anchoPantalla = pantalla ? enTwips(pantalla->geometry().width()) : 0;
    const double anchoLista = enTwips(ListView1->width());
    const double ancho = anchoLista + 360 >= anchoPantalla ? anchoPantalla - 480 : anchoLista + 280;
    const int marco = frameGeometry().width() - width();
    resize(enPixeles(ancho) - marco, height());
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* evento)
{
    QDialog::resizeEvent(evento);
    const auto tw = [](int pixeles) { return enTwips(pixeles); };
    vb::ResumeNext([&] {
        const double alto = tw(frameGeometry().height());
        const double ancho = tw(frameGeometry().width());
        const double altoMarco = tw(Frame1->height());
        picFields->resize(picFields->width(), enPixeles(alto - altoMarco - 480));
        ListView1->resize(ListView1->width(), enPixeles(tw(picFields->height()) - altoMarco - 600));
        picFields->resize(enPixeles(ancho - 120), picFields->height());
        ListView1->resize(enPixeles(tw(picFields->width()) - 20), ListView1->height());
        Frame1->move(Frame1->x(), enPixeles(alto - altoMarco - 520));
        HScroll1->move(HScroll1->x(), enPixeles(tw(picFields->height()) - tw(HScroll1->height()) - 120));
        HScroll1->resize(enPixeles(ancho - 120), HScroll1->height());
        Frame1->setGeometry(0, Frame1->y(), enPixeles(ancho), Frame1->height());
        const double anchoFrame = tw(Frame1->width());
        // The two buttons are measured from their design width at every resize, so a narrow window halves
        // them once instead of shrinking them further with each resize.
        if (CmdNueva->isHidden())
            for (QPushButton* b : {CmdAceptar, CmdCancelar})
                b->resize(vb::twips(kAnchoBoton), b->height());
        CmdAceptar->move(enPixeles(tw(Frame1->x()) + 100), CmdAceptar->y());
        CmdCancelar->move(enPixeles((anchoFrame - tw(CmdCancelar->width())) / 2), CmdCancelar->y());
        CmdNueva->move(enPixeles(anchoFrame - (tw(CmdCancelar->width()) + 150)), CmdNueva->y());
        if (CmdNueva->isHidden()) {
            if (tw(CmdAceptar->width()) + tw(CmdCancelar->width()) + 400 > anchoFrame) {
                CmdAceptar->resize(CmdAceptar->width() / 2, CmdAceptar->height());
                CmdCancelar->resize(CmdAceptar->width(), CmdCancelar->height());
                CmdAceptar->move(enPixeles(tw(Frame1->x()) + 100), CmdAceptar->y());
                CmdCancelar->move(enPixeles(anchoFrame - (tw(CmdCancelar->width()) + 150)), CmdCancelar->y());
                CmdNueva->move(CmdCancelar->x(), CmdNueva->y());
            } else {
                CmdCancelar->move(CmdNueva->x(), CmdCancelar->y());
            }
        }
        Label1->resize(ListView1->width() - CmdNuevo->width(), Label1->height());
    });
}

void Lib_FrmCons3::HScroll1_Change()
{
    picFields->move(-enPixeles(HScroll1->value()), picFields->y());
}

// The temporary file is written unbuffered, so that a short write (a full disk) shows at once, and it
// replaces the main file only when whole: a failed rewrite leaves the main file as it was.
void Lib_FrmCons3::GrabarAnchos()
{
    const QString principal = ConsultasLen::RutaArchivo();
    const QString auxiliar = ConsultasLen::RutaAuxiliar();
    std::vector<ConsultasLen::Registro> registros;
    if (ModGlobal::ExisteArchivo(principal))
        for (const ConsultasLen::Registro& r : ConsultasLen::Leer(principal))
            if (r.tabla.compare(NombreTabla, Qt::CaseInsensitive) != 0)
                registros.push_back(r);
    std::vector<double> anchos;
    for (int i = 0; i < ListView1->columnCount(); ++i)
        anchos.push_back(enTwips(ListView1->columnWidth(i)));
    registros.push_back({NombreTabla, ConsultasLen::ListaAnchos(anchos)});
    QFile temporal(auxiliar);
    if (!temporal.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"));
    try {
        for (const ConsultasLen::Registro& r : registros)
            ConsultasLen::Escribir(temporal, r);
        temporal.close();
        if (temporal.error() != QFileDevice::NoError)
            throw vb::Error(57, QStringLiteral("Error de E/S de dispositivo"));
    } catch (const vb::Error&) {
        temporal.remove();
        throw;
    }
    if (QFile::exists(principal) && !QFile::remove(principal))
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"));
    if (!QFile::rename(auxiliar, principal))
        throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"));
}

void Lib_FrmCons3::Form_Unload()
{
    try {
        UsarUDBC = false;
        if (GrabarCfg)
            GrabarAnchos();
        ListView1->clear();
    } catch (const vb::Error& e) {
        vb::MsgBox(e.Description(), vb::vbCritical, kAviso);
    }
}

// ---- search and filters ----

void Lib_FrmCons3::CmbSearch_GotFocus(int Index)
{
    fondo(CmbSearch[Index], colorVB(vb::Variant(0xFFFF00)));
    IndiceBusqueda = static_cast<short>(Index);
}

void Lib_FrmCons3::CmbSearch_LostFocus(int Index)
{
    fondo(CmbSearch[Index], colorVB(vb::Variant(0xFFFFFF)));
}

void Lib_FrmCons3::CmbSearch_Change(int Index)
{
    vb::ResumeNext([&] {
        const auto columna = static_cast<short>(Utilidades.TextoAEntero(QString::number(Index)));
        const long posicion = Busqueda(columna, vb::Trim(CmbSearch[Index]->currentText()));
        if (posicion == 0)
            return;
        QTreeWidgetItem* item = ListView1->topLevelItem(static_cast<int>(posicion - 1));
        ListView1->setCurrentItem(item);
        ListView1->scrollToItem(item);
    });
}

long Lib_FrmCons3::Busqueda(short Columna, const QString& QueValor)
{
    const QString buscado = vb::Trim(QueValor);
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        ItemActual = ListView1->topLevelItem(i);
        const QString valor = vb::Trim(ItemActual->text(Columna < 1 ? 0 : Columna));
        if (valor.left(buscado.size()).compare(buscado, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

void Lib_FrmCons3::CmbSearch_KeyDown(int Index, int KeyCode, int)
{
    switch (KeyCode) {
    case TeclasVB::vbKeyF5:
        filtrar(Index);
        break;
    case TeclasVB::vbKeyDown:
    case TeclasVB::vbKeyUp:
    case TeclasVB::vbKeyPageDown:
    case TeclasVB::vbKeyPageUp:
        ListView1_KeyDown(KeyCode, 0);
        ListView1->setFocus();
        seleccionarActual();
        break;
    default:
        break;
    }
}

// Turns the box's text into a LIKE condition on its column, added before any GROUP BY / ORDER BY tail,
// and loads the window again. A window without a statement (an option picker) has nothing to filter.
void Lib_FrmCons3::filtrar(int Index)
{
    if (vb::Trim(SQL).isEmpty())
        return;
    QComboBox* caja = CmbSearch[Index];
    QString grupo;
    QString prefijo;
    vb::ResumeNext([&] { SQLSufijo.clear(); });
    vb::ResumeNext([&] {
        const int orden = vb::InStr(SQL, QStringLiteral("order by"), Compare::Text);
        if (vb::InStr(SQL, QStringLiteral("order"), Compare::Text) > 0 && orden > 0) {
            SQLSufijo = vb::Mid(SQL, orden);
            SQLBase = vb::Left(SQL, orden - 1);
        }
    });
    vb::ResumeNext([&] {
        const int agrupa = vb::InStr(SQL, QStringLiteral("group by"), Compare::Text);
        if (agrupa == 0)
            return;
        grupo = vb::Mid(SQL, agrupa);
        if (!vb::Trim(grupo).isEmpty())
            SQLSufijo = grupo;
        SQLBase = vb::Left(SQL, agrupa - 1);
    });
    if (vb::InStr(SQLBase, QStringLiteral("stk_ma_articulos."), Compare::Text) > 0)
        prefijo = QStringLiteral("stk_ma_articulos.");
    if (vb::InStr(SQLBase, QStringLiteral("v_ma_articulos."), Compare::Text) > 0)
        prefijo = QStringLiteral("v_ma_articulos.");
    const bool conCondicion = vb::InStr(SQL, QStringLiteral("where"), Compare::Text) > 0;
    const QString union_ = conCondicion ? QStringLiteral(" and ") : QStringLiteral(" where ");
    if (conCondicion)
        SQLBase = CondicionConsulta::EncerrarCondicion(SQLBase);
    const QString campo = caja->property("Tag").toString();
    if (CfgUsaConsultaLIKE) {
        const QString texto = vb::Replace(caja->currentText(), QStringLiteral(" "), QStringLiteral("%"));
        SQL = SQLBase + union_ + prefijo + campo +
              CondicionConsulta::Like(QStringLiteral("%") + texto + QStringLiteral("%")) + SQLSufijo;
    } else {
        caja->setEditText(Utilidades.Reemplazar(caja->currentText(), QStringLiteral("*"), QStringLiteral("%")));
        SQL = SQLBase + union_ + prefijo + campo + CondicionConsulta::Like(caja->currentText() + QStringLiteral("%")) +
              SQLSufijo;
    }
    caja->setEditText(QString());
    SQLBase = SQL;
    Form_Load();
}

void Lib_FrmCons3::CmdNueva_Click()
{
    vb::ResumeNext([&] { SQL = SQLInicial; });
    vb::ResumeNext([&] { Form_Load(); });
    vb::ResumeNext([&] { CmbSearch[0]->setFocus(); });
}

void Lib_FrmCons3::ListView1_ColumnClick(int Index)
{
    vb::ResumeNext([&] {
        m_ordenada = true;
        m_columnaOrden = Index - 1;
        m_orden = m_orden == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        ordenar();
    });
}

// ---- actions and results ----

short Lib_FrmCons3::IndiceColumna(const QString& Columna)
{
    const QString buscada = vb::Trim(Columna);
    for (int i = 0; i < ListView1->columnCount(); ++i)
        if (vb::Trim(ListView1->headerItem()->text(i)).compare(buscada, Qt::CaseInsensitive) == 0)
            return static_cast<short>(i + 1);
    return 0;
}

// Column 1 is the item's text, column c > 1 its sub-item c - 1; before column 1 the value stays as it was.
QString Lib_FrmCons3::valorColumna(QTreeWidgetItem* item, int columna, const QString& actual) const
{
    return columna < 1 ? actual : item->text(columna - 1);
}

void Lib_FrmCons3::CmdAceptar_Click()
{
    QString valor;
    QTreeWidgetItem* item = nullptr;
    const auto manejar = [](const vb::Error& e) {
        return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("CmdAceptar_Click"));
    };
    if (CheckBoxes) {
        vb::RunSteps({[&] {
                          if (CampoDevuelto.isEmpty())
                              CampoDevuelto = ListView1->headerItem()->text(0);
                          return true;
                      },
                      [&] {
                          for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
                              item = ListView1->topLevelItem(i);
                              if (item->checkState(0) == Qt::Checked)
                                  Agregar(Valores, valorColumna(item, IndiceColumna(CampoDevuelto), valor));
                          }
                          return true;
                      },
                      [&] { return hide(), true; }},
                     manejar);
        return;
    }
    vb::RunSteps({[&] {
                      const auto elegidos = ListView1->selectedItems();
                      item = elegidos.isEmpty() ? nullptr : elegidos.first();
                      if (!item)
                          hide();
                      return item != nullptr;
                  },
                  [&] {
                      if (CmpsDevueltos)
                          for (int i = 1; i <= CmpsDevueltos->Count(); ++i) {
                              valor = valorColumna(item, IndiceColumna(CmpsDevueltos->Item(i).toString()), valor);
                              Agregar(Valores, valor);
                          }
                      return true;
                  },
                  [&] {
                      if (!vb::Trim(CampoDevuelto).isEmpty())
                          valor = valorColumna(item, IndiceColumna(CampoDevuelto), valor);
                      return true;
                  },
                  [&] { return ValorDevuelto = valor, true; }, [&] { return hide(), true; }},
                 manejar);
}

// The row the list draws as current (the first one when it has just taken the focus) is the chosen one.
void Lib_FrmCons3::seleccionarActual()
{
    QTreeWidgetItem* actual = ListView1->currentItem();
    if (!actual)
        actual = ListView1->topLevelItem(0);
    if (actual && !actual->isSelected())
        ListView1->setCurrentItem(actual);
}

void Lib_FrmCons3::CmdCancelar_Click()
{
    vb::ResumeNext([&] { ValorDevuelto = QString(); });
    vb::ResumeNext([&] { CmpsDevueltos = nullptr; });
    vb::ResumeNext([&] { Valores = nullptr; });
    vb::ResumeNext([&] { hide(); });
}

void Lib_FrmCons3::reject()
{
    CmdCancelar_Click();
}

void Lib_FrmCons3::CmdTodos_Click()
{
    if (!m_conCasillas)
        return;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void Lib_FrmCons3::CmdNuevo_Click()
{
    vb::ResumeNext([&] {
        const QString t = vb::Trim(NombreTabla);
        QString ejecutable = QStringLiteral("SHELL:V_TA_TABLAS");
        QString adicional = NombreTabla;
        for (const ModuloDeAlta& m : kModulosDeAlta)
            if (igual(t, m.tabla)) {
                ejecutable = QLatin1String(m.ejecutable);
                adicional = m.adicional ? QLatin1String(m.adicional) : NombreTabla;
            }
        std::int64_t proceso = 0;
        ModGlobal::MenuExes(ejecutable, adicional, proceso);
    });
}

void Lib_FrmCons3::ListView1_KeyDown(int KeyCode, int Shift)
{
    vb::RunStatement(
        [&] {
            if (KeyCode == TeclasVB::vbKeySpace && CheckBoxes)
                return;
            if (KeyCode == TeclasVB::vbKeyReturn) {
                seleccionarActual();
                CmdAceptar_Click();
            } else if ((KeyCode == TeclasVB::vbKeyInsert || KeyCode == TeclasVB::vbKeyDelete) && UsaCantidades)
                cantidad(KeyCode, Shift);
            else
                agregarALaBusqueda(KeyCode);
        },
        [](const vb::Error& e) {
            return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("ListView1_KeyDown"));
        });
}

// Insert adds one, Delete takes one off (down to "0.00", unticked), Shift+Insert asks for the quantity.
void Lib_FrmCons3::cantidad(int KeyCode, int Shift)
{
    const int q = IndiceColumna(QStringLiteral("**Cantidad**")) - 1;
    const auto elegidos = ListView1->selectedItems();
    if (elegidos.isEmpty())
        throw vb::Error(91, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    if (q < 1)
        throw vb::Error(380, QStringLiteral("Valor de propiedad no válido"));
    QTreeWidgetItem* item = elegidos.first();
    const auto tildar = [&](bool tildado) {
        if (m_conCasillas)
            item->setCheckState(0, tildado ? Qt::Checked : Qt::Unchecked);
    };
    if (KeyCode == TeclasVB::vbKeyInsert && Shift == TeclasVB::vbShiftMask) {
        const QString celda = item->text(q);
        const QString entrada = vb::InputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."),
                                             QStringLiteral("Carga de Datos"), celda);
        // The quantity offered and accepted as it stands is the cell's own: "1.000" from the database stays one.
        const bool sinCambio = entrada == celda;
        const double escrita = sinCambio ? numero(celda) : numeroEscrito(entrada);
        // An entry that reads as a number either way ("0.000,5" is one half to the user) is not taken as zero.
        const bool cero = escrita == 0 && (sinCambio || numero(entrada) == 0);
        item->setText(q, cero ? QStringLiteral("0.00") : formato(escrita, 2));
        tildar(true);
    } else if (KeyCode == TeclasVB::vbKeyInsert && Shift == 0) {
        item->setText(q, formato(numero(item->text(q)) + 1, 1));
        tildar(true);
    } else if (KeyCode == TeclasVB::vbKeyDelete && Shift == 0) {
        item->setText(q, formato(numero(item->text(q)) - 1, 1));
        if (numero(item->text(q)) <= 0) {
            tildar(false);
            item->setText(q, QStringLiteral("0.00"));
        }
    }
}

// A key typed in the list goes on in the search box that last had the focus: the character it types is
// appended (Backspace takes the last one off); keys that type nothing are left alone.
void Lib_FrmCons3::agregarALaBusqueda(int KeyCode)
{
    const QString texto = TeclasVB::TextoDeTecla(KeyCode);
    if (texto.isEmpty() && KeyCode != TeclasVB::vbKeyBack)
        return;
    QComboBox* caja = CmbSearch[IndiceBusqueda];
    QString actual = caja->currentText();
    if (KeyCode == TeclasVB::vbKeyBack)
        actual.chop(1);
    else
        actual += texto;
    caja->setEditText(actual);
    caja->setFocus();
}

bool Lib_FrmCons3::Form_KeyDown(int KeyCode, int)
{
    if (KeyCode != TeclasVB::vbKeyF12 || !EsArticulos)
        return false;
    informarFaltante();
    return true;
}

// Asks whether the selected article is to be reported as missing stock and records it. With no row
// selected there is nothing to report.
void Lib_FrmCons3::informarFaltante()
{
    const auto elegidos = ListView1->selectedItems();
    if (elegidos.isEmpty())
        return;
    QTreeWidgetItem* item = elegidos.first();
    const QString codigo = valorColumna(item, IndiceColumna(QStringLiteral("idarticulo")), QString());
    const QString descripcion = valorColumna(item, IndiceColumna(QStringLiteral("Descripcion")), QString());
    if (vb::MsgBox(QStringLiteral("Desea informar el articulo ") + vb::Trim(codigo) + QStringLiteral(" ") +
                       vb::Trim(descripcion) + QStringLiteral("\r\ncomo un faltante de stock?"),
                   vb::vbQuestion + vb::vbYesNo, QStringLiteral("Atención!")) != vb::vbYes)
        return;
    DB_Dll& db = ModGlobal::gDB();
    QString sentencia =
        QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('") +
        vb::CStr(vb::Date::Now()) + QStringLiteral("','") + literal(Utilidades.AlinearDerecha(codigo, 25)) +
        QStringLiteral("','") + literal(vb::Trim(descripcion)) + QStringLiteral("','") + literal(db.gUsuario) +
        QStringLiteral("')");
    long registros = 0;
    vb::ResumeNext([&] { db.EjecutaConsultaSQL(sentencia, registros); });
}

// ---- key and focus events ----

int Lib_FrmCons3::indiceCaja(const QObject* objeto) const
{
    for (size_t i = 0; i < CmbSearch.size(); ++i)
        if (CmbSearch[i] == objeto)
            return static_cast<int>(i);
    return -1;
}

// Whether the list's key handler took the key (otherwise the list moves, ticks with Space, and so on).
bool Lib_FrmCons3::teclaDeLista(int KeyCode, int Shift)
{
    ListView1_KeyDown(KeyCode, Shift);
    if (KeyCode == TeclasVB::vbKeySpace && CheckBoxes)
        return false;
    return KeyCode == TeclasVB::vbKeyReturn || KeyCode == TeclasVB::vbKeyBack ||
           ((KeyCode == TeclasVB::vbKeyInsert || KeyCode == TeclasVB::vbKeyDelete) && UsaCantidades) ||
           !TeclasVB::TextoDeTecla(KeyCode).isEmpty();
}

void Lib_FrmCons3::keyPressEvent(QKeyEvent* evento)
{
    if (!Form_KeyDown(TeclasVB::KeyCode(*evento), TeclasVB::Shift(*evento)))
        QDialog::keyPressEvent(evento);
}

bool Lib_FrmCons3::eventFilter(QObject* objeto, QEvent* evento)
{
    const int caja = indiceCaja(objeto);
    if (evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        const int codigo = TeclasVB::KeyCode(*tecla);
        const int estado = TeclasVB::Shift(*tecla);
        if (Form_KeyDown(codigo, estado))
            return true;
        if (objeto == ListView1)
            return teclaDeLista(codigo, estado);
        if (caja >= 0) {
            CmbSearch_KeyDown(caja, codigo, estado);
            return codigo == TeclasVB::vbKeyF5 || codigo == TeclasVB::vbKeyDown || codigo == TeclasVB::vbKeyUp ||
                   codigo == TeclasVB::vbKeyPageDown || codigo == TeclasVB::vbKeyPageUp;
        }
    } else if (caja >= 0 && evento->type() == QEvent::FocusIn) {
        CmbSearch_GotFocus(caja);
    } else if (caja >= 0 && evento->type() == QEvent::FocusOut) {
        CmbSearch_LostFocus(caja);
    }
    return QDialog::eventFilter(objeto, evento);
}
