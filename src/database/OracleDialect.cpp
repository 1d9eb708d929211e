#include "database/OracleDialect.h"

#include "platform/vb/Error.h"

#include <QDate>
#include <QStringMatcher>
#include <optional>

namespace OracleDialect {
namespace {

using namespace Qt::StringLiterals;

constexpr QChar kComilla = u'\'';
constexpr QChar kBlanco = u' ';

[[noreturn]] void argumentoNoValido()
{
    throw vb::Error(5, QStringLiteral("Llamada a procedimiento o argumento no válidos"));
}

// The run-time's text comparison folds each UTF-16 unit; every pattern here is ASCII, so folding the text's unit
// is enough (that also lets the long s and the Kelvin sign stand for "s" and "k", as they always did).
bool mismaLetra(QChar c, char16_t patron)
{
    if (patron >= u'A' && patron <= u'Z')
        patron += u'a' - u'A';
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u) == patron;
    return QChar::toCaseFolded(u) == patron;
}

bool coincide(QStringView s, qsizetype i, QLatin1StringView patron)
{
    if (i < 0 || s.size() - i < patron.size())
        return false;
    for (qsizetype k = 0; k < patron.size(); ++k)
        if (!mismaLetra(s[i + k], char16_t(patron[k].unicode())))
            return false;
    return true;
}

// Index just past the quoted literal that opens at `abre`; a doubled quote inside it does not close it.
qsizetype finDeLiteral(QStringView s, qsizetype abre)
{
    qsizetype i = abre + 1;
    while (i < s.size()) {
        if (s[i] != kComilla) {
            ++i;
        } else if (i + 1 < s.size() && s[i + 1] == kComilla) {
            i += 2;
        } else {
            return i + 1;
        }
    }
    return s.size();
}

// First position at or after `desde` (itself outside any literal) where `patron` starts outside the quoted
// literals; -1 when there is none.
qsizetype buscarFuera(QStringView s, QLatin1StringView patron, qsizetype desde = 0)
{
    for (qsizetype i = desde; i < s.size();) {
        if (s[i] == kComilla)
            i = finDeLiteral(s, i);
        else if (coincide(s, i, patron))
            return i;
        else
            ++i;
    }
    return -1;
}

// What a pass puts in place of the text at one position: `largo` characters replaced by `por` (none when 0).
struct Reemplazo {
    qsizetype largo = 0;
    QLatin1StringView por;
};

// Builds a pass's result in one sweep: `cambio` is asked at every position outside the quoted literals (from
// `desde` on), in order; literals and unmatched text are copied as they are.
template <typename Cambio>
QString reescribirFuera(const QString& s, Cambio cambio, qsizetype desde = 0)
{
    QString r;
    qsizetype copiado = 0;
    for (qsizetype i = desde; i < s.size();) {
        if (s[i] == kComilla) {
            i = finDeLiteral(s, i);
            continue;
        }
        const Reemplazo c = cambio(i);
        if (c.largo == 0) {
            ++i;
            continue;
        }
        if (copiado == 0)
            r.reserve(s.size() + 16);
        r.append(QStringView(s).sliced(copiado, i - copiado)).append(c.por);
        i += c.largo;
        copiado = i;
    }
    if (copiado == 0)
        return s;
    return r.append(QStringView(s).sliced(copiado));
}

// Every occurrence of `que` that starts outside the quoted literals and keeps them whole becomes `por`.
QString reemplazarFuera(QStringView s, QStringView que, QLatin1StringView por)
{
    if (que.isEmpty())
        return s.toString();
    const QStringMatcher buscador(que, Qt::CaseInsensitive);
    const bool cierraLiteral = que.back() == kComilla;
    QString r;
    qsizetype copiado = 0;
    qsizetype fuera = 0; // the next position known to lie outside the literals
    for (qsizetype p = buscador.indexIn(s); p >= 0; p = buscador.indexIn(s, p)) {
        while (fuera < p)
            fuera = s[fuera] == kComilla ? finDeLiteral(s, fuera) : fuera + 1;
        const qsizetype fin = p + que.size();
        if (fuera != p || (cierraLiteral && fin < s.size() && s[fin] == kComilla)) {
            ++p;
            continue;
        }
        r.append(s.sliced(copiado, p - copiado)).append(por);
        copiado = fuera = p = fin;
    }
    return r.append(s.sliced(copiado));
}

QStringView recortar(QStringView s)
{
    qsizetype a = 0;
    qsizetype b = s.size();
    while (a < b && s[a] == kBlanco)
        ++a;
    while (b > a && s[b - 1] == kBlanco)
        --b;
    return s.sliced(a, b - a);
}

// Pass 1: "TOP n" becomes a ROWNUM limit placed before the GROUP BY or ORDER BY tail.
QString limiteDeFilas(const QString& s)
{
    const qsizetype conBlanco = buscarFuera(s, "top "_L1);
    if (conBlanco < 0)
        return s;
    const qsizetype p = buscarFuera(s, "top"_L1);
    const QStringView resto = recortar(QStringView(s).sliced(p + 3));
    const qsizetype blanco = buscarFuera(resto, " "_L1);
    if (blanco < 0)
        argumentoNoValido();
    const QStringView n = resto.left(blanco);
    const QStringView cuerpo = resto.sliced(blanco + 1);

    QStringView colaGrupo;
    QStringView colaOrden;
    if (const qsizetype g = buscarFuera(s, " GROUP BY "_L1); g >= 0)
        colaGrupo = QStringView(s).sliced(g);
    else if (const qsizetype o = buscarFuera(s, "ORDER BY "_L1); o >= 0)
        colaOrden = QStringView(s).sliced(o);
    const QLatin1StringView limite = buscarFuera(s, " WHERE "_L1) >= 0 ? " AND ROWNUM <= "_L1 : " WHERE ROWNUM <= "_L1;
    const QString sinColas =
        reemplazarFuera(reemplazarFuera(cuerpo, recortar(colaGrupo), " "_L1), recortar(colaOrden), " "_L1);

    QString r;
    r.reserve(s.size() + 32);
    r.append(QStringView(s).left(p)).append(kBlanco).append(sinColas).append(kBlanco).append(limite).append(n);
    return r.append(kBlanco).append(colaGrupo).append(kBlanco).append(colaOrden);
}

// Pass 2: LEN with zero to four blanks before its parenthesis, when a blank stands before the name.
QString largo(const QString& s)
{
    return reescribirFuera(s, [&s](qsizetype i) -> Reemplazo {
        if (s[i] != kBlanco || !coincide(s, i + 1, "len"_L1))
            return {};
        qsizetype k = i + 4;
        while (k < s.size() && k < i + 8 && s[k] == kBlanco)
            ++k;
        if (k == s.size() || s[k] != u'(')
            return {};
        return {k + 1 - i, " LENGTH("_L1};
    });
}

// Pass 3: bracketed names become quoted names.
QString nombresEntreComillas(const QString& s)
{
    return reescribirFuera(s, [&s](qsizetype i) -> Reemplazo {
        if (s[i] == u'[' || s[i] == u']')
            return {1, "\""_L1};
        return {};
    });
}

// Reads a run of ASCII digits at the cursor: at least `menos` and at most `mas`, with no further digit after.
struct Lector {
    QStringView t;
    qsizetype i = 0;

    static bool digito(QChar c) { return c >= u'0' && c <= u'9'; }

    std::optional<int> numero(int menos, int mas)
    {
        qsizetype k = i;
        int valor = 0;
        while (k < t.size() && k - i < mas && digito(t[k]))
            valor = valor * 10 + (t[k++].unicode() - u'0');
        if (k - i < menos || (k < t.size() && digito(t[k])))
            return std::nullopt;
        i = k;
        return valor;
    }
    bool signo(QChar c)
    {
        if (i == t.size() || t[i] != c)
            return false;
        ++i;
        return true;
    }
    bool alFinal() const { return i == t.size(); }
};

// A time after the date: " H:mm" or " H:mm:ss", hours 0-23, minutes and seconds 0-59.
bool horaValida(Lector& l)
{
    if (l.alFinal())
        return true;
    if (!l.signo(kBlanco))
        return false;
    const auto h = l.numero(1, 2);
    if (!h || *h > 23 || !l.signo(u':'))
        return false;
    const auto m = l.numero(2, 2);
    if (!m || *m > 59)
        return false;
    if (l.signo(u':')) {
        const auto sec = l.numero(2, 2);
        if (!sec || *sec > 59)
            return false;
    }
    return l.alFinal();
}

// A quoted text read as a date, as written (no time zone plays a part): d/M/yyyy, d/M/yy (years 1930-2029),
// yyyy-M-d or yyyy/M/d, each alone or followed by a time; blanks around it are ignored.
std::optional<QDate> fecha(QStringView contenido)
{
    Lector l{contenido.trimmed()};
    int anio = 0;
    int mes = 0;
    int dia = 0;
    bool corto = false;
    qsizetype cifrasIniciales = 0;
    while (cifrasIniciales < l.t.size() && Lector::digito(l.t[cifrasIniciales]))
        ++cifrasIniciales;
    if (cifrasIniciales == 4 || l.signo(u'-')) {
        const int signo = l.i == 1 ? -1 : 1;
        const auto a = l.numero(4, 4);
        const QChar separador = l.alFinal() ? QChar() : l.t[l.i];
        if (!a || (separador != u'-' && separador != u'/') || !l.signo(separador))
            return std::nullopt;
        const auto m = l.numero(1, 2);
        if (!m || !l.signo(separador))
            return std::nullopt;
        const auto d = l.numero(1, 2);
        if (!d)
            return std::nullopt;
        anio = signo * *a;
        mes = *m;
        dia = *d;
    } else {
        const auto d = l.numero(1, 2);
        if (!d || !l.signo(u'/'))
            return std::nullopt;
        const auto m = l.numero(1, 2);
        if (!m || !l.signo(u'/'))
            return std::nullopt;
        const bool negativo = l.signo(u'-');
        const qsizetype inicio = l.i;
        const auto a = l.numero(2, 4);
        const qsizetype cifras = l.i - inicio;
        if (!a || cifras == 3 || (negativo && cifras != 4))
            return std::nullopt;
        corto = cifras == 2;
        anio = corto ? 1900 + *a : negativo ? -*a : *a;
        mes = *m;
        dia = *d;
    }
    if (!horaValida(l) || !QDate::isValid(anio, mes, dia))
        return std::nullopt;
    const QDate leida(anio, mes, dia);
    return corto && anio < 1930 ? leida.addYears(100) : leida;
}

// Pass 4: quoted date literals become TO_DATE calls; apostrophes pair strictly in order.
QString literalesDeFecha(const QString& s)
{
    QString w = s;
    for (qsizetype i = 0;;) {
        const qsizetype abre = s.indexOf(kComilla, i);
        if (abre < 0)
            break;
        const qsizetype cierra = s.indexOf(kComilla, abre + 1);
        if (cierra < 0)
            argumentoNoValido();
        const QStringView contenido = QStringView(s).sliced(abre + 1, cierra - abre - 1);
        if (const auto d = fecha(contenido))
            w.replace(kComilla + contenido.toString() + kComilla,
                      "TO_DATE('"_L1 + d->toString(u"dd/MM/yyyy") + "','DD/MM/YYYY')"_L1, Qt::CaseInsensitive);
        i = cierra + 1;
    }
    while (w.contains("TO_DATE(TO_DATE("_L1, Qt::CaseInsensitive)) {
        w.replace("TO_DATE(TO_DATE("_L1, "TO_DATE("_L1, Qt::CaseInsensitive);
        w.replace("'DD/MM/YYYY'),'DD/MM/YYYY')"_L1, "'DD/MM/YYYY')"_L1, Qt::CaseInsensitive);
    }
    return w;
}

// Pass 5: CHARINDEX keeps its arguments and takes Oracle's name.
QString busquedaDeTexto(const QString& s)
{
    return reescribirFuera(s, [&s](qsizetype i) -> Reemplazo {
        if (coincide(s, i, "Charindex"_L1))
            return {9, "InStr"_L1};
        return {};
    });
}

// Pass 6: the two CONVERT forms, written exactly so.
QString conversiones(const QString& s)
{
    return reescribirFuera(s, [&s](qsizetype i) -> Reemplazo {
        if (coincide(s, i, "CONVERT(NVARCHAR,"_L1))
            return {17, "TO_CHAR("_L1};
        if (coincide(s, i, "CONVERT(INT,"_L1))
            return {12, "TO_NUMBER("_L1};
        return {};
    });
}

// Pass 7: "= ''" and "=''" from the first "WHERE " on become " IS NULL " (the quotes being an empty literal).
QString comparacionesConVacio(const QString& s)
{
    const qsizetype w = buscarFuera(s, "WHERE "_L1);
    if (w < 0)
        return s;
    const auto vacioEn = [&s](qsizetype k) {
        return k + 1 < s.size() && s[k] == kComilla && s[k + 1] == kComilla &&
               (k + 2 == s.size() || s[k + 2] != kComilla);
    };
    return reescribirFuera(
        s,
        [&s, &vacioEn](qsizetype i) -> Reemplazo {
            if (s[i] != u'=')
                return {};
            if (i + 1 < s.size() && s[i + 1] == kBlanco && vacioEn(i + 2))
                return {4, " IS NULL "_L1};
            if (vacioEn(i + 1))
                return {3, " IS NULL "_L1};
            return {};
        },
        w);
}

// Pass 8: a 103 whose nearest opening parenthesis belongs to TO_CHAR becomes the date format.
QString estilo103(const QString& s)
{
    qsizetype parentesis = -1;
    return reescribirFuera(s, [&s, &parentesis](qsizetype i) -> Reemplazo {
        if (s[i] == u'(')
            parentesis = i;
        else if (coincide(s, i, "103"_L1) && coincide(s, parentesis - 7, "TO_CHAR("_L1))
            return {3, "'DD/MM/YYYY'"_L1};
        return {};
    });
}

// Pass 9: SUBSTRING takes Oracle's name.
QString subcadena(const QString& s)
{
    return reescribirFuera(s, [&s](qsizetype i) -> Reemplazo {
        if (coincide(s, i, "SUBSTRING("_L1))
            return {10, "SUBSTR("_L1};
        return {};
    });
}

// Pass 10: ISNULL takes Oracle's name.
QString nulos(const QString& s)
{
    return reescribirFuera(s, [&s](qsizetype i) -> Reemplazo {
        if (coincide(s, i, "ISNULL("_L1))
            return {7, "NVL("_L1};
        return {};
    });
}

} // namespace

QString Traducir(const QString& sentencia)
{
    // Every pass but the date pass keeps quoted literals whole, so they must all be closed.
    if (sentencia.count(kComilla) % 2 != 0)
        argumentoNoValido();
    QString s = limiteDeFilas(sentencia);
    s = largo(s);
    s = nombresEntreComillas(s);
    s = literalesDeFecha(s);
    s = busquedaDeTexto(s);
    s = conversiones(s);
    s = comparacionesConVacio(s);
    s = estilo103(s);
    s = subcadena(s);
    return nulos(s);
}

} // namespace OracleDialect
