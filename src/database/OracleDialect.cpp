#include "database/OracleDialect.h"

#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"

#include <QDate>
#include <optional>

namespace OracleDialect {
namespace {

using vb::Compare;

QString reemplazar(const QString& texto, const QString& que, const QString& por)
{
    return vb::Replace(texto, que, por, Compare::Text);
}

int buscar(const QString& texto, const QString& que, int desde = 1)
{
    return vb::InStr(desde, texto, que, Compare::Text);
}

[[noreturn]] void argumentoNoValido()
{
    throw vb::Error(5, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
}

// Pass 1: "TOP n" becomes a ROWNUM limit placed before the GROUP BY or ORDER BY tail.
QString limiteDeFilas(const QString& s)
{
    if (buscar(s, QStringLiteral("top ")) == 0)
        return s;
    const int p = buscar(s, QStringLiteral("top"));
    const QString cabeza = vb::Left(s, p - 1);
    const QString resto = vb::Trim(vb::Mid(s, p + 3));
    const int blanco = vb::InStr(resto, QStringLiteral(" "));
    if (blanco == 0)
        argumentoNoValido();
    const QString n = vb::Left(resto, blanco - 1);
    QString cuerpo = vb::Mid(resto, blanco + 1);

    QString colaGrupo;
    QString colaOrden;
    if (const int g = buscar(s, QStringLiteral(" GROUP BY ")); g > 0)
        colaGrupo = vb::Mid(s, g);
    else if (const int o = buscar(s, QStringLiteral("ORDER BY ")); o > 0)
        colaOrden = vb::Mid(s, o);
    const QString limite = (buscar(s, QStringLiteral(" WHERE ")) > 0 ? QStringLiteral(" AND ROWNUM <= ")
                                                                     : QStringLiteral(" WHERE ROWNUM <= ")) +
                           n;
    cuerpo = reemplazar(cuerpo, vb::Trim(colaGrupo), QStringLiteral(" "));
    cuerpo = reemplazar(cuerpo, vb::Trim(colaOrden), QStringLiteral(" "));
    const QChar b = QLatin1Char(' ');
    return cabeza + b + cuerpo + b + limite + b + colaGrupo + b + colaOrden;
}

// Pass 2: LEN with zero to four blanks before its parenthesis, when a blank stands before the name.
QString largo(QString s)
{
    for (int blancos = 0; blancos <= 4; ++blancos)
        s = reemplazar(s, QStringLiteral(" LEN") + QString(blancos, QLatin1Char(' ')) + QLatin1Char('('),
                       QStringLiteral(" LENGTH("));
    return s;
}

// Pass 3: bracketed names become quoted names.
QString nombresEntreComillas(QString s)
{
    s = reemplazar(s, QStringLiteral("["), QStringLiteral("\""));
    return reemplazar(s, QStringLiteral("]"), QStringLiteral("\""));
}

std::optional<QDate> fecha(const QString& texto)
{
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (const QString& formato : {QStringLiteral("d/M/yyyy"), QStringLiteral("d/M/yy"), QStringLiteral("yyyy-M-d"),
                                   QStringLiteral("yyyy/M/d")}) {
        for (const QString& hora : {QString(), QStringLiteral(" H:mm"), QStringLiteral(" H:mm:ss")}) {
            const QDateTime dt = QDateTime::fromString(t, formato + hora);
            if (!dt.isValid())
                continue;
            // Two-digit years fall in 1930-2029, as the run-time reads them.
            const bool corto = formato.endsWith(QLatin1String("/yy"));
            return corto && dt.date().year() < 1930 ? dt.date().addYears(100) : dt.date();
        }
    }
    return std::nullopt;
}

// Pass 4: quoted date literals become TO_DATE calls; apostrophes pair strictly in order.
QString literalesDeFecha(const QString& s)
{
    QString w = s;
    for (int i = 1;;) {
        const int abre = vb::InStr(i, s, QStringLiteral("'"));
        if (abre == 0)
            break;
        const int cierra = vb::InStr(abre + 1, s, QStringLiteral("'"));
        if (cierra == 0)
            argumentoNoValido();
        const QString contenido = vb::Mid(s, abre + 1, cierra - abre - 1);
        if (const auto d = fecha(contenido))
            w = reemplazar(w, QLatin1Char('\'') + contenido + QLatin1Char('\''),
                           QStringLiteral("TO_DATE('") + d->toString(QStringLiteral("dd/MM/yyyy")) +
                               QStringLiteral("','DD/MM/YYYY')"));
        i = cierra + 1;
    }
    while (buscar(w, QStringLiteral("TO_DATE(TO_DATE(")) > 0) {
        w = reemplazar(w, QStringLiteral("TO_DATE(TO_DATE("), QStringLiteral("TO_DATE("));
        w = reemplazar(w, QStringLiteral("'DD/MM/YYYY'),'DD/MM/YYYY')"), QStringLiteral("'DD/MM/YYYY')"));
    }
    return w;
}

// Pass 7: "= ''" and then "=''" from the first "WHERE " on become " IS NULL ".
QString comparacionesConVacio(QString s)
{
    for (const QString& vacio : {QStringLiteral("= ''"), QStringLiteral("=''")}) {
        const int w = buscar(s, QStringLiteral("WHERE "));
        if (w == 0)
            return s;
        s = vb::Left(s, w - 1) + reemplazar(vb::Mid(s, w), vacio, QStringLiteral(" IS NULL "));
    }
    return s;
}

// Pass 8: a 103 whose nearest opening parenthesis belongs to TO_CHAR becomes the date format.
QString estilo103(QString s)
{
    for (int k = buscar(s, QStringLiteral("103")); k > 0; k = buscar(s, QStringLiteral("103"), k + 3)) {
        const int parentesis = static_cast<int>(vb::Left(s, k).lastIndexOf(QLatin1Char('('))) + 1;
        if (parentesis >= 8 &&
            vb::Mid(s, parentesis - 7, 8).compare(QLatin1String("TO_CHAR("), Qt::CaseInsensitive) == 0)
            s = vb::Left(s, k - 1) + QStringLiteral("'DD/MM/YYYY'") + vb::Mid(s, k + 3);
    }
    return s;
}

} // namespace

QString Traducir(const QString& sentencia)
{
    QString s = limiteDeFilas(sentencia);
    s = largo(s);
    s = nombresEntreComillas(s);
    s = literalesDeFecha(s);
    s = reemplazar(s, QStringLiteral("Charindex"), QStringLiteral("InStr"));
    s = reemplazar(s, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    s = reemplazar(s, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));
    s = comparacionesConVacio(s);
    s = estilo103(s);
    s = reemplazar(s, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    return reemplazar(s, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
}

} // namespace OracleDialect
