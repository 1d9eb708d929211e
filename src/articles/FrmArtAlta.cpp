#include "articles/FrmArtAlta.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/TeclasVB.h"
#include "platform/ado/Recordset.h"
#include "platform/dorvik/ClsControles.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/net/Site.h"
#include "platform/vb/Collection.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Controls.h"
#include "platform/vb/Currency.h"
#include "platform/vb/Dictionary.h"
#include "platform/vb/Error.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"
#include "util/JSON.h"
#include "util/ServerXMLHTTP.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace {

constexpr int kF2 = TeclasVB::vbKeyF1 + 1;
constexpr int kF7 = TeclasVB::vbKeyF1 + 6;
constexpr int kEscape = TeclasVB::vbKeyEscape;
const QString kAviso = QStringLiteral("Aviso al Operador");
const QString kNoExiste = QStringLiteral("Actualmente el codigo informado no existe en la base maestra");

ClsControles& gControles()
{
    static ClsControles instancia;
    return instancia;
}

QLabel* etiqueta(QWidget* parent, const char* name, const QString& texto, const QRect& where)
{
    auto* label = vb::control<QLabel>(parent, name, where);
    label->setText(texto);
    return label;
}

QLabel* etiqueta(QWidget* parent, const char* name, const QString& texto, int left, int top)
{
    auto* label = etiqueta(parent, name, texto, QRect(vb::twips(left), vb::twips(top), 0, 0));
    label->adjustSize();
    return label;
}

QPushButton* boton(QWidget* parent, const char* name, const QString& caption, const QRect& where)
{
    auto* button = vb::control<QPushButton>(parent, name, where);
    button->setText(caption);
    button->setAutoDefault(false);
    return button;
}

QFont fuente(double puntos, bool negrita = false)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}

// A member's text when it is text or a number; anything else (null, an object, a missing member) is none.
QString textoDe(const vb::Variant& valor)
{
    switch (valor.type()) {
    case vb::Variant::Type::String:
    case vb::Variant::Type::Decimal:
        return valor.toString();
    default:
        return QString();
    }
}

// The object the master service answered: the object itself, or the first element of an array of objects.
std::shared_ptr<vb::Dictionary> articuloDe(const std::shared_ptr<vb::Object>& respuesta)
{
    if (auto lista = std::dynamic_pointer_cast<vb::Collection>(respuesta))
        return lista->Count() > 0 ? lista->Item(1).as<vb::Dictionary>() : nullptr;
    return std::dynamic_pointer_cast<vb::Dictionary>(respuesta);
}

QString texto(const vb::Variant& valor)
{
    return vb::Trim(ModGlobal::gFunciones().ValorCampo(valor).toString());
}

} // namespace

FrmArtAlta::FrmArtAlta(QWidget* parent) : QDialog(parent)
{
    design();
    connect(CmdAlta, &QPushButton::clicked, this, &FrmArtAlta::CmdAlta_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &FrmArtAlta::CmdCancelar_Click);
    connect(CmdMaestro, &QPushButton::clicked, this, &FrmArtAlta::CmdMaestro_Click);
    Form_Load();
}

void FrmArtAlta::design()
{
    setObjectName(QStringLiteral("FrmArtAlta"));
    setWindowTitle(QStringLiteral("Articulos"));
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    setFixedSize(vb::twipsSize(7995, 4875));
    QPalette blanco = palette();
    blanco.setColor(QPalette::Window, Qt::white);
    setPalette(blanco);
    setAutoFillBackground(true);

    // The 18-point bold line needs more than the design's 7695 twips, more even than the room to the window's edge:
    // it starts at the entry frame's left edge instead and is as wide as its text.
    Label1 = etiqueta(this, "Label1", QStringLiteral("El Articulo informado es inexistente...!"),
                      vb::twips(120, 120, 7860, 495));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(fuente(18, true));
    Label1->setAutoFillBackground(true);
    QPalette rojo = Label1->palette();
    rojo.setColor(QPalette::Window, QColor(0xFF, 0, 0));
    rojo.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(rojo);
    Label3 = etiqueta(this, "Label3", QStringLiteral("Pulse ESC para cerrar esta pantalla. "),
                      vb::twips(240, 600, 7695, 375));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFont(fuente(8.25));

    FramAlta = vb::control<QFrame>(this, "FramAlta", vb::twips(120, 1080, 7815, 3135));
    FramAlta->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label2 = etiqueta(FramAlta, "Label2",
                      QStringLiteral("Puede obtener los datos desde la base de codigos de barra (F7) o completar los "
                                     "datos y pulsar F2 para dar de alta el producto desde esta misma pantalla."),
                      vb::twips(120, 120, 7575, 2895));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setWordWrap(true);
    Label2->setFont(fuente(8.25));
    Label9 = etiqueta(FramAlta, "Label9", QStringLiteral("Codigo de Barras"), 240, 720);
    Label9->setFont(fuente(8.25, true));
    Label9->adjustSize();
    Label10 = etiqueta(FramAlta, "Label10", QStringLiteral("Descripción"), 240, 1440);
    Label11 = etiqueta(FramAlta, "Label11", QStringLiteral("Precio"), 240, 2040);
    const struct {
        const char* tag;
        QRect where;
    } campos[] = {{"Codigo", vb::twips(240, 1080, 3015, 285)},
                  {"Descripcion", vb::twips(240, 1680, 5295, 285)},
                  {"Precio", vb::twips(240, 2280, 1335, 285)}};
    for (const auto& c : campos) {
        auto* caja = vb::control<QLineEdit>(FramAlta, "Txtfields", c.where);
        ClsControles::setTag(caja, QLatin1String(c.tag));
        caja->installEventFilter(this);
        Txtfields.push_back(caja);
    }
    LblProceso = etiqueta(FramAlta, "LblProceso", QStringLiteral("..."), vb::twips(240, 2640, 7215, 255));
    LblProceso->setAlignment(Qt::AlignCenter);
    LblProceso->setFrameStyle(QFrame::Box | QFrame::Plain);
    CmdMaestro =
        boton(FramAlta, "CmdMaestro", QStringLiteral("[F7] Obtener de Base Maestra"), vb::twips(3960, 720, 3615, 855));
    CmdMaestro->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));

    CmdAlta = boton(this, "CmdAlta", QStringLiteral("[F2] &Alta"), vb::twips(1920, 4320, 1815, 495));
    CmdCancelar = boton(this, "CmdCancelar", QStringLiteral("[ESC] &Cancelar"), vb::twips(4200, 4320, 1815, 495));
    for (QWidget* w :
         {static_cast<QWidget*>(CmdMaestro), static_cast<QWidget*>(CmdAlta), static_cast<QWidget*>(CmdCancelar)})
        w->installEventFilter(this);
    setTabOrder(Txtfields[0], Txtfields[1]);
    setTabOrder(Txtfields[1], Txtfields[2]);
    setTabOrder(Txtfields[2], CmdAlta);
    setTabOrder(CmdAlta, CmdCancelar);
    Txtfields[0]->setFocus();
}

QLineEdit* FrmArtAlta::campo(const QString& tag) const
{
    return Txtfields[static_cast<std::size_t>(gControles().BuscarPorTag(tag, Txtfields))];
}

void FrmArtAlta::Form_Load()
{
    if (ModGlobal::Cfg(QStringLiteral("ArticulosPermitealtaAutomatica"))
            .compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0)
        return;
    FramAlta->hide();
    for (QLineEdit* caja : Txtfields)
        caja->clear();
    CmdAlta->setText(QStringLiteral("Aceptar"));
}

void FrmArtAlta::PonerCodigo()
{
    campo(QStringLiteral("Codigo"))->setText(vb::Trim(CodArtNuevo));
    CodArtNuevo.clear();
}

bool FrmArtAlta::eventFilter(QObject* objeto, QEvent* evento)
{
    if (evento->type() != QEvent::KeyPress)
        return QDialog::eventFilter(objeto, evento);
    const auto* tecla = static_cast<QKeyEvent*>(evento);
    int KeyCode = TeclasVB::KeyCode(*tecla);
    const int Shift = TeclasVB::Shift(*tecla);
    Form_KeyDown(KeyCode, Shift);
    // The form's own keys go no further: unused by the control, they would come on to the form a second time.
    if (KeyCode == kF2 || KeyCode == kEscape || KeyCode == kF7)
        return true;
    const auto caja = std::find(Txtfields.begin(), Txtfields.end(), objeto);
    if (caja == Txtfields.end() || KeyCode == 0)
        return false;
    Txtfields_KeyDown(static_cast<int>(caja - Txtfields.begin()), KeyCode, Shift);
    return KeyCode == 0;
}

void FrmArtAlta::keyPressEvent(QKeyEvent* evento)
{
    Form_KeyDown(TeclasVB::KeyCode(*evento), TeclasVB::Shift(*evento));
    QDialog::keyPressEvent(evento);
}

void FrmArtAlta::Form_KeyDown(int KeyCode, int)
{
    switch (KeyCode) {
    case kF2:
        CmdAlta_Click();
        break;
    case kEscape:
        CmdCancelar->click();
        break;
    case kF7:
        // The look-up fills fields of the entry frame; while the frame is hidden there is nothing to fill.
        if (!FramAlta->isHidden())
            CmdMaestro_Click();
        break;
    default:
        break;
    }
}

void FrmArtAlta::Txtfields_KeyDown(int, int& KeyCode, int)
{
    if (gControles().EvaluarTecla(KeyCode))
        gControles().ProcesarTecla(KeyCode);
}

void FrmArtAlta::CmdAlta_Click()
{
    pAceptar = true;
    if (!vb::Trim(Txtfields[1]->text()).isEmpty())
        AltaArticulos();
    done(QDialog::Accepted);
}

void FrmArtAlta::CmdCancelar_Click()
{
    pAceptar = false;
    done(QDialog::Rejected);
}

void FrmArtAlta::reject()
{
    CmdCancelar_Click();
}

void FrmArtAlta::CmdMaestro_Click()
{
    bool pError = false;
    QString Mensaje;
    const QString d = ObtenerDescMaestra(Txtfields[0]->text(), pError, Mensaje);
    if (pError) {
        QLineEdit* descripcion = campo(QStringLiteral("Descripcion"));
        descripcion->clear();
        descripcion->setFocus();
        return;
    }
    LblProceso->setText(QStringLiteral("Correcto."));
    LblProceso->repaint();
    campo(QStringLiteral("Descripcion"))->setText(d);
    campo(QStringLiteral("Precio"))->setFocus();
}

QUrl FrmArtAlta::DireccionMaestra(const QString& opcion, const QList<QPair<QString, QString>>& valores)
{
    QByteArray consulta = "opcion=" + QUrl::toPercentEncoding(opcion);
    for (const auto& [clave, valor] : valores)
        consulta += '&' + QUrl::toPercentEncoding(clave) + '=' + QUrl::toPercentEncoding(valor);
    return QUrl::fromEncoded(net::Site::baseUrl().toUtf8() + "/ws/inicio.php?" + consulta, QUrl::StrictMode);
}

QString FrmArtAlta::ObtenerDescMaestra(const QString& Codigo, bool& pError, QString& Mensaje)
{
    pError = false;
    LblProceso->setText(QStringLiteral("Consultando Base Maestra..."));
    LblProceso->repaint();
    if (vb::Trim(Codigo).isEmpty()) {
        Mensaje = QStringLiteral("Debe informar el codigo.");
        vb::MsgBox(QStringLiteral("Debe informar el numero de Codigo de Barras"), vb::vbCritical, kAviso);
        pError = true;
        return QString();
    }

    ServerXMLHTTP pedido;
    QString respuesta;
    try {
        pedido.open(QStringLiteral("GET"),
                    DireccionMaestra(QStringLiteral("GetCodigo"), {{QStringLiteral("codigo"), vb::Trim(Codigo)}}));
        pedido.send();
        respuesta = pedido.responseText();
    } catch (const vb::Error&) {
        // Left with no status: handled below as a failed look-up.
    }
    QString resultado;
    if (pedido.status() < 200 || pedido.status() > 299) {
        // An unreachable service or an error page is a failed look-up, not a verdict on the code.
        pError = true;
        Mensaje = QStringLiteral("No se pudo consultar la base maestra");
        LblProceso->setText(Mensaje);
    } else if (const auto articulo = articuloDe(JSON::Parse(respuesta));
               !vb::Trim(respuesta).isEmpty() && articulo &&
               !vb::Trim(textoDe(articulo->Item(QStringLiteral("Descripcion")))).isEmpty()) {
        resultado = textoDe(articulo->Item(QStringLiteral("Descripcion")));
        LblProceso->setText(QStringLiteral("Encontrado..."));
    } else {
        pError = true;
        Mensaje = kNoExiste;
        LblProceso->setText(Mensaje);
    }
    LblProceso->repaint();
    return resultado;
}

bool FrmArtAlta::ejecutar(QString sentencia) const
{
    DB_Dll& db = ModGlobal::gDB();
    db.gCnn->Errors().Clear();
    long registros = 0;
    db.EjecutaConsultaSQL(sentencia, registros);
    if (db.gCnn->Errors().Count() == 0)
        return true;
    vb::MsgBox(db.gCnn->Errors()(0).Description());
    return false;
}

void FrmArtAlta::avisarMaestra(const QString& barras, const QString& descripcion) const
{
    vb::ResumeNext([&]() {
        ServerXMLHTTP pedido;
        pedido.open(QStringLiteral("GET"),
                    DireccionMaestra(QStringLiteral("InsCodigo"),
                                     {{QStringLiteral("codigo"), barras}, {QStringLiteral("desc"), descripcion}}));
        pedido.send();
    });
}

bool FrmArtAlta::idOcupado(const QString& rellenado) const
{
    QString codigo = rellenado;
    ado::Recordset articulo;
    bool porCodigoBarra = false;
    QString descripcion, unidadBase, prefijo;
    double cantidad = 0;
    vb::Currency importe;
    short estadoUnidadNegocio = 0;
    const bool hallado =
        ModGlobal::BuscarArticulo(codigo, articulo, true, porCodigoBarra, descripcion, QString(), unidadBase, QString(),
                                  cantidad, importe, prefijo, QString(), estadoUnidadNegocio);
    ModGlobal::gDB().CierraRecordset(articulo);
    return hallado;
}

void FrmArtAlta::AltaArticulos()
{
    const QString barras = campo(QStringLiteral("Codigo"))->text();
    const QString descripcion = campo(QStringLiteral("Descripcion"))->text();
    const QString clase = ModGlobal::Cfg(QStringLiteral("ClasePrecioVenta"));
    DB_Dll& db = ModGlobal::gDB();
    ClsUtilidades& funciones = ModGlobal::gFunciones();
    const auto literal = [&db](const QString& valor) { return db.SQLValue(valor, QStringLiteral("'")).toString(); };

    ado::Recordset existente;
    if (db.ExisteEnTabla(QStringLiteral("V_MA_ARTICULOS"), barras, QStringLiteral("codigobarra"), &existente)) {
        const QString aviso = QStringLiteral("Ya existe un articulo con ese codigo de barras.\r\nArticulo ") +
                              texto(existente.Fields(QStringLiteral("IdArticulo")).Value()) + QStringLiteral(" - ") +
                              texto(existente.Fields(QStringLiteral("Descripcion")).Value()) +
                              QStringLiteral("\r\n¿Ingresarlo igual?");
        db.CierraRecordset(existente);
        if (vb::MsgBox(aviso, vb::vbYesNo + vb::vbInformation, kAviso) == vb::vbNo)
            return;
    }
    db.CierraRecordset(existente);
    if (vb::Trim(clase).isEmpty()) {
        vb::MsgBox(QStringLiteral("Debe informar la clase de precio por default desde la Configuración General del "
                                  "Sistema"));
        return;
    }

    // A price the currency cannot hold is refused before the article is written, not halfway through.
    vb::Currency importePrecio;
    if (!pIdLista.isEmpty()) {
        try {
            importePrecio = funciones.TextoANumero(campo(QStringLiteral("precio"))->text());
        } catch (const vb::Error& e) {
            vb::MsgBox(e.Description());
            return;
        }
    }

    CodArtNuevo.clear();
    QString id;
    try {
        const vb::Variant maximo = db.BuscaMaximo(QStringLiteral("v_ma_articulos"), QStringLiteral("idarticulo"),
                                                  vb::Variant(), QStringLiteral("  SUBSTRING(IDARTICULO,1,1) = ' '"));
        id = QString::number(static_cast<long long>(maximo.toDouble()) + 1);
    } catch (const vb::Error& e) {
        vb::MsgBox(e.Description());
        return;
    }
    const QString rellenado = funciones.AlinearDerecha(id, 25);

    bool creado = false;
    if (!idOcupado(rellenado)) {
        // Stored right-aligned like every barcode, so that the look-up by scanned code finds the new article.
        creado =
            ejecutar(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IdArticulo,CodigoBarra,Descripcion,IdUnidad,"
                                    "UsaSerie,UsaLote,Exento,Suspendido) VALUES (") +
                     literal(rellenado) + QLatin1Char(',') + literal(funciones.AlinearDerecha(vb::Trim(barras), 25)) +
                     QLatin1Char(',') + literal(descripcion) + QStringLiteral(",'   1',0,0,0,0)"));
        if (creado)
            CodArtNuevo = id;
    }

    if (pIdLista.isEmpty())
        return;
    // A price row belongs to the article this window created: for an id already taken, or an article that
    // could not be written, it would price another article or none.
    if (creado &&
        ejecutar(QStringLiteral("INSERT INTO V_MA_PRECIOS (IDLISTA,Nombre,IdArticulo,ConIVA,Precio1,Precio2,Precio3,"
                                "Precio4,Precio5,TipoLista) VALUES (") +
                 literal(pIdLista) + QLatin1Char(',') + literal(descripcion) + QLatin1Char(',') + literal(rellenado) +
                 QStringLiteral(",1,0,0,0,0,0,'V')"))) {
        ejecutar(QStringLiteral("UPDATE V_MA_PRECIOS SET PRECIO") + vb::Trim(clase) + QLatin1Char('=') +
                 db.SQLValue(vb::Variant(importePrecio), QStringLiteral("@")).toString() +
                 QStringLiteral(" WHERE IDARTICULO=") + literal(rellenado) + QStringLiteral(" AND IDLISTA=") +
                 literal(pIdLista));
    }
    if (!vb::Trim(barras).isEmpty() && !vb::Trim(descripcion).isEmpty())
        avisarMaestra(barras, descripcion);
}
