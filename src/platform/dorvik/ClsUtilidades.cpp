#include "platform/dorvik/ClsUtilidades.h"

#include "platform/vb/Constants.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"

#include <QDir>
#include <cmath>
#include <QLocale>
#include <QRegularExpression>

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// The stored password form is hexadecimal, which holds no comma, quote or line break; the bytes are
// mixed with a rotating key so the file does not show the password at a glance.
const QByteArray kClave = "KEMB-Dorvik";

QByteArray mezclar(QByteArray bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kClave[i % kClave.size()]);
    return bytes;
}

} // namespace

QString ClsUtilidades::AcortarTexto(const QString& texto, int largo) const
{
    const QString simple = texto.simplified();
    if (largo <= 0)
        return QString();
    if (simple.size() <= largo)
        return simple;
    if (largo <= 3)
        return simple.left(largo);
    return simple.left(largo - 3) + QStringLiteral("...");
}

vb::Currency ClsUtilidades::TextoANumero(const QString& texto) const
{
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return vb::Currency();
    bool ok = false;
    double valor = QLocale().toDouble(t, &ok);
    if (!ok)
        valor = QLocale::c().toDouble(t, &ok);
    if (!ok)
        valor = vb::Val(t);
    return vb::Currency::fromDouble(valor);
}

long ClsUtilidades::TextoAEntero(const QString& texto) const
{
    return static_cast<long>(std::llround(TextoANumero(texto).toDouble()));
}

void ClsUtilidades::SepararRuta(const QString& ruta, QString& unidad, QString& carpeta, QString& archivo,
                                QString& extension) const
{
    qsizetype corte = ruta.size() - 1;
    while (corte >= 0 && !isSeparator(ruta[corte]))
        --corte;
    carpeta = ruta.left(corte + 1);
    const QString nombre = ruta.mid(corte + 1);
    const qsizetype punto = nombre.lastIndexOf(QLatin1Char('.'));
    archivo = punto < 0 ? nombre : nombre.left(punto);
    extension = punto < 0 ? QString() : nombre.mid(punto + 1);
    static const QRegularExpression letra(QStringLiteral("^[A-Za-z]:"));
    unidad = letra.match(ruta).hasMatch() ? ruta.left(2) : QString();
}

vb::Variant ClsUtilidades::ValorCampo(const vb::Variant& valor, bool numerico) const
{
    if (valor.isNull() || valor.isEmpty())
        return numerico ? vb::Variant(0) : vb::Variant(QString());
    return valor;
}

long ClsUtilidades::ContarPalabras(const QString& texto) const
{
    // Counted without building the words: every statement the Oracle translation sees passes through here.
    long palabras = 0;
    bool enPalabra = false;
    for (const QChar c : texto) {
        const bool blanco = c == QLatin1Char(' ');
        if (!blanco && !enPalabra)
            ++palabras;
        enPalabra = !blanco;
    }
    return palabras;
}

QString ClsUtilidades::QuitarCaracteres(const QString& texto, const QString& c1, const QString& c2,
                                        const QString& c3) const
{
    QString out = texto;
    for (const QString& c : {c1, c2, c3})
        if (!c.isEmpty())
            out.remove(c);
    return out;
}

QString ClsUtilidades::Reemplazar(const QString& texto, const QString& que, const QString& porQue) const
{
    return vb::Replace(texto, que, porQue);
}

void ClsUtilidades::ConfigurarFormulario(QWidget*, bool) const {}

QString ClsUtilidades::AlinearDerecha(const QString& texto, int ancho) const
{
    return texto.size() >= ancho ? texto : QString(ancho - texto.size(), QLatin1Char(' ')) + texto;
}

int ClsUtilidades::ManejarError(const vb::Error& error, const QString& rutina, const QString&) const
{
    QString titulo = error.Source();
    if (!rutina.isEmpty())
        titulo += QStringLiteral(" - ") + rutina;
    titulo += QStringLiteral(" Aviso al Operador");
    const QString mensaje = QStringLiteral("Ha ocurrido el Siguiente Error (%1) %2").arg(error.Number()).arg(
        vb::Trim(error.Description()));
    return vb::MsgBox(mensaje, vb::vbAbortRetryIgnore + vb::vbCritical, titulo);
}

QString ClsUtilidades::Codificar(const QString& texto) const
{
    return QString::fromLatin1(mezclar(texto.toUtf8()).toHex().toUpper());
}

QString ClsUtilidades::Decodificar(const QString& texto) const
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
    if (!hex.match(texto).hasMatch())
        return QString();
    return QString::fromUtf8(mezclar(QByteArray::fromHex(texto.toLatin1())));
}

QString ClsUtilidades::AgregarBarra(const QString& ruta) const
{
    QString out = ruta;
    while (!out.isEmpty() && isSeparator(out.back()))
        out.chop(1);
    return out + QDir::separator();
}

QString ClsUtilidades::ReemplazarTexto(const QString& texto, const QString& que, const QString& porQue) const
{
    return vb::Replace(texto, que, porQue, vb::Compare::Text);
}
