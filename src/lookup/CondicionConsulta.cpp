#include "lookup/CondicionConsulta.h"

#include "platform/vb/Strings.h"

namespace CondicionConsulta {
namespace {

bool letraDePalabra(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool palabraEn(const QString& texto, qsizetype pos, QLatin1StringView palabra)
{
    const qsizetype fin = pos + palabra.size();
    return fin <= texto.size() &&
           QStringView(texto).mid(pos, palabra.size()).compare(palabra, Qt::CaseInsensitive) == 0 &&
           (pos == 0 || !letraDePalabra(texto[pos - 1])) && (fin == texto.size() || !letraDePalabra(texto[fin]));
}

// Where the last WHERE outside parentheses, quotes and brackets ends, or -1.
qsizetype finDelWhere(const QString& texto)
{
    const QLatin1StringView where("where");
    qsizetype fin = -1;
    int nivel = 0;
    QChar cierre;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (!cierre.isNull()) {
            if (c == cierre)
                cierre = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            cierre = c;
        } else if (c == QLatin1Char('[')) {
            cierre = QLatin1Char(']');
        } else if (c == QLatin1Char('(')) {
            ++nivel;
        } else if (c == QLatin1Char(')')) {
            --nivel;
        } else if (nivel == 0 && palabraEn(texto, i, where)) {
            fin = i + where.size();
        }
    }
    return fin;
}

} // namespace

QString EncerrarCondicion(const QString& cabeza)
{
    const qsizetype fin = finDelWhere(cabeza);
    if (fin < 0)
        return cabeza;
    return cabeza.left(fin) + QStringLiteral(" (") + vb::Trim(cabeza.mid(fin)) + QStringLiteral(") ");
}

QString Like(const QString& patron)
{
    QString texto = QString(patron).replace(QLatin1Char('\''), QStringLiteral("''"));
    QString escape;
    if (texto.contains(QLatin1Char('\\'))) {
        texto.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        escape = QStringLiteral("ESCAPE '\\' ");
    }
    return QStringLiteral(" like '") + texto + QStringLiteral("' ") + escape;
}

} // namespace CondicionConsulta
