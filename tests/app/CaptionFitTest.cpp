// Every caption of every window fits its control, measured with the fonts the windows are drawn with (Carlito in
// place of Calibri): a label's text within its box, a button's text within its bevel, a check box's text beside
// its indicator, a group box's title within its frame.
#include "articles/FrmArtAlta.h"
#include "articles/FrmMvVentas.h"
#include "certificate/FrmCertificado.h"
#include "certificate/FrmDescargaOpenSSL.h"
#include "database/frmAcceso.h"
#include "global/EntornoGlobal.h"
#include "installer/FrmInstaladorExe.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "platform/dorvik/ClsEspera.h"
#include "util/FrmDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <optional>

namespace {

// The room a caption needs and the room its control gives, in pixels (a height of 0 is not measured).
struct Medida {
    QString texto;
    QSize necesita;
    QSize tiene;
};

// One line of text as the controls draw it: an ampersand marks the mnemonic and takes no room.
int ancho(const QWidget* control, const QString& texto)
{
    return control->fontMetrics().size(Qt::TextShowMnemonic, texto).width();
}

// A label's text in its contents area, less its margin and indent: one line by its advance, a wrapped text by the
// box of its lines (its longest word does not wrap).
std::optional<Medida> medirEtiqueta(const QLabel* etiqueta)
{
    if (etiqueta->text().isEmpty() || !etiqueta->pixmap().isNull())
        return std::nullopt;
    const int margen = etiqueta->margin();
    QRect area = etiqueta->contentsRect().marginsRemoved(QMargins(margen, margen, margen, margen));
    int sangria = etiqueta->indent();
    if (sangria < 0)
        sangria = etiqueta->frameWidth() > 0 ? etiqueta->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    if (etiqueta->alignment() & (Qt::AlignLeft | Qt::AlignRight))
        area.setWidth(area.width() - sangria);
    const QFontMetrics medidas = etiqueta->fontMetrics();
    if (!etiqueta->wordWrap())
        return Medida{etiqueta->text(), QSize(medidas.horizontalAdvance(etiqueta->text()), 0), QSize(area.width(), 0)};
    const QRect ocupa = medidas.boundingRect(area, Qt::TextWordWrap | etiqueta->alignment(), etiqueta->text());
    return Medida{etiqueta->text(), ocupa.size(), area.size()};
}

// A button's text in the part of the button the style draws its label in: inside the bevel of a push button
// (beside its icon), after the indicator of a check box or an option button.
std::optional<Medida> medirBoton(const QAbstractButton* boton)
{
    if (boton->text().isEmpty())
        return std::nullopt;
    QStyleOptionButton opcion;
    opcion.initFrom(boton);
    opcion.text = boton->text();
    opcion.icon = boton->icon();
    opcion.iconSize = boton->iconSize();
    int texto = ancho(boton, boton->text());
    QStyle::SubElement contenido = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(boton))
        contenido = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(boton))
        contenido = QStyle::SE_RadioButtonContents;
    else if (!boton->icon().isNull())
        texto += boton->iconSize().width() + 4;
    const QRect area = boton->style()->subElementRect(contenido, &opcion, boton);
    return Medida{boton->text(), QSize(area.left() + texto, 0), QSize(area.right() + 1, 0)};
}

// A group box's title where the style puts it, within the box.
std::optional<Medida> medirGrupo(const QGroupBox* grupo)
{
    if (grupo->title().isEmpty())
        return std::nullopt;
    QStyleOptionGroupBox opcion;
    opcion.initFrom(grupo);
    opcion.text = grupo->title();
    opcion.textAlignment = grupo->alignment();
    opcion.lineWidth = 1;
    opcion.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect titulo = grupo->style()->subControlRect(QStyle::CC_GroupBox, &opcion, QStyle::SC_GroupBoxLabel, grupo);
    return Medida{grupo->title(), QSize(titulo.left() + ancho(grupo, grupo->title()), 0), QSize(grupo->width(), 0)};
}

std::optional<Medida> medir(const QWidget* control)
{
    if (const auto* etiqueta = qobject_cast<const QLabel*>(control))
        return medirEtiqueta(etiqueta);
    if (const auto* boton = qobject_cast<const QAbstractButton*>(control))
        return medirBoton(boton);
    if (const auto* grupo = qobject_cast<const QGroupBox*>(control))
        return medirGrupo(grupo);
    return std::nullopt;
}

// "window/control "caption": needs W×H, has W×H" for every caption of `ventana` that does not fit.
QStringList cortadas(QWidget* ventana)
{
    ventana->ensurePolished();
    QStringList lista;
    for (QWidget* control : ventana->findChildren<QWidget*>()) {
        control->ensurePolished();
        const std::optional<Medida> medida = medir(control);
        if (!medida ||
            (medida->necesita.width() <= medida->tiene.width() && medida->necesita.height() <= medida->tiene.height()))
            continue;
        lista << QStringLiteral("%1/%2 \"%3\" (%4): needs %5x%6 px, has %7x%8 px")
                     .arg(ventana->objectName(), control->objectName(), medida->texto,
                          QFontInfo(control->font()).family())
                     .arg(medida->necesita.width())
                     .arg(medida->necesita.height())
                     .arg(medida->tiene.width())
                     .arg(medida->tiene.height());
    }
    return lista;
}

class CaptionFit : public kembtest::EntornoConBase {
protected:
    void SetUp() override
    {
        EntornoConBase::SetUp();
        if (IsSkipped())
            return;
        base->exec("INSERT INTO TA_CONFIGURACION VALUES ('ArticulosPermitealtaAutomatica', 'SI', '', 'General', 0)");
    }

    void revisar(QWidget* ventana)
    {
        const QStringList lista = cortadas(ventana);
        EXPECT_TRUE(lista.isEmpty()) << lista.join(QLatin1Char('\n')).toStdString();
        ++revisadas;
    }

    int revisadas = 0;
};

} // namespace

TEST_F(CaptionFit, TheDesignFontIsDrawnWithCarlito)
{
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Calibri"))).family(), QStringLiteral("Carlito"));
    FrmCertificado ventana;
    EXPECT_EQ(QFontInfo(ventana.ChkModo[1]->font()).family(), QStringLiteral("Carlito"));
}

TEST_F(CaptionFit, EveryCaptionOfEveryWindowFitsItsControl)
{
    FrmCertificado certificado;
    certificado.setObjectName(QStringLiteral("FrmCertificado"));
    revisar(&certificado);
    FrmDescargaOpenSSL descarga;
    revisar(&descarga);
    frmAcceso acceso;
    revisar(&acceso);
    FrmDir carpetas;
    revisar(&carpetas);
    FrmInstaladorExe instalador;
    revisar(&instalador);
    Lib_FrmCons3 lista;
    revisar(&lista);
    Lib_FrmCons3Tree arbol;
    revisar(&arbol);
    FrmMvVentas ventas;
    revisar(&ventas);

    // The article window in both of its forms: the entry form, and the notice whose button reads "Aceptar".
    FrmArtAlta alta;
    revisar(&alta);
    base->exec("UPDATE TA_CONFIGURACION SET VALOR = 'NO' WHERE CLAVE = 'ArticulosPermitealtaAutomatica'");
    FrmArtAlta aviso;
    ASSERT_EQ(aviso.findChild<QPushButton*>(QStringLiteral("CmdAlta"))->text(), QStringLiteral("Aceptar"));
    revisar(&aviso);

    // The wait window with the longest lines the program gives it.
    ClsEspera espera;
    espera.MostrarEspera(QStringLiteral("Cargando"));
    espera.TextosEspera(0, QStringLiteral("Generando certificados."), QStringLiteral("Verificando configuración"),
                        QStringLiteral("Espere por favor..."));
    QWidget* ventanaEspera = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Espera") && w->isVisible())
            ventanaEspera = w;
    ASSERT_NE(ventanaEspera, nullptr);
    revisar(ventanaEspera);
    espera.OcultarEspera();
    EXPECT_EQ(revisadas, 11);
}
