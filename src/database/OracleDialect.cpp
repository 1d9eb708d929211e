#include "database/OracleDialect.h"

#include "platform/vb/Error.h"

#include <QDate>
#include <QHash>
#include <QStringMatcher>
#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

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

// Empties `salida` for a pass's result of about `largo` characters, keeping the room it already has when that is
// enough (see Traducir); otherwise it takes a new block rather than having its old content copied across.
void empezar(QString& salida, qsizetype largo)
{
    if (salida.isDetached() && salida.capacity() >= largo + 64) {
        salida.resize(0);
        return;
    }
    salida = QString();
    salida.reserve(largo + largo / 4 + 64);
}

// Builds a pass's result in one sweep: `cambio` is asked at every position outside the quoted literals (from
// `desde` on), in order; literals and unmatched text are copied as they are. Returns false, leaving `salida`
// alone, when nothing changed.
template <typename Cambio>
bool reescribirFuera(const QString& s, QString& salida, Cambio cambio, qsizetype desde = 0)
{
    bool cambiado = false;
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
        if (!cambiado)
            empezar(salida, s.size());
        cambiado = true;
        salida.append(QStringView(s).sliced(copiado, i - copiado)).append(c.por);
        i += c.largo;
        copiado = i;
    }
    if (!cambiado)
        return false;
    salida.append(QStringView(s).sliced(copiado));
    return true;
}

// Appends `s` to `salida` with every occurrence of `que` that starts outside the quoted literals and keeps them
// whole replaced by `por`.
void reemplazarFuera(QStringView s, QStringView que, QLatin1StringView por, QString& salida)
{
    if (que.isEmpty()) {
        salida.append(s);
        return;
    }
    const QStringMatcher buscador(que, Qt::CaseInsensitive);
    const bool cierraLiteral = que.back() == kComilla;
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
        salida.append(s.sliced(copiado, p - copiado)).append(por);
        copiado = fuera = p = fin;
    }
    salida.append(s.sliced(copiado));
}

// Trimming takes off blanks only, as the run-time's Trim does.
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
bool limiteDeFilas(const QString& s, QString& salida)
{
    if (buscarFuera(s, "top "_L1) < 0)
        return false;
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

    empezar(salida, s.size() + colaGrupo.size() + colaOrden.size());
    salida.append(QStringView(s).left(p)).append(kBlanco);
    // At most one tail is taken, so the body needs one replacement at most.
    reemplazarFuera(cuerpo, recortar(colaGrupo.isEmpty() ? colaOrden : colaGrupo), " "_L1, salida);
    salida.append(kBlanco).append(limite).append(n);
    salida.append(kBlanco).append(colaGrupo).append(kBlanco).append(colaOrden);
    return true;
}

// Pass 2: LEN with zero to four blanks before its parenthesis, when a blank stands before the name.
bool largo(const QString& s, QString& salida)
{
    return reescribirFuera(s, salida, [&s](qsizetype i) -> Reemplazo {
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
bool nombresEntreComillas(const QString& s, QString& salida)
{
    return reescribirFuera(s, salida, [&s](qsizetype i) -> Reemplazo {
        if (s[i] == u'[' || s[i] == u']')
            return {1, "\""_L1};
        return {};
    });
}

// A cursor over a date text. `numero` reads a run of ASCII digits: at least `menos` and at most `mas` of them,
// with no further digit after.
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
//
// Written out, the pass takes each pair in turn and, when its text is a date, replaces every "'text'" of the
// whole statement with "TO_DATE('dd/MM/yyyy','DD/MM/YYYY')"; the date written there is itself such a quoted
// text, so a later pair holding exactly that date wraps the call again. Then, while "TO_DATE(TO_DATE(" remains,
// one sweep halves every run of "TO_DATE(" and every ","-joined run of "'DD/MM/YYYY')". Done so, a long list of
// dates costs the square of its length or worse; below, the same result is worked out in a few linear sweeps.

constexpr QLatin1StringView kToDate = "TO_DATE("_L1;
constexpr QLatin1StringView kFormato = "'DD/MM/YYYY')"_L1;

// A gap between two apostrophes taken by the pass: it and its apostrophes become a call wrapped `capas` times.
struct LlamadaDeFecha {
    qsizetype hueco;
    qsizetype capas;
    QString fecha;
};

// The date as dd/MM/yyyy, a year before Christ with a minus sign ("-0044").
QString textoDeFecha(QDate d)
{
    QString t;
    t.reserve(11);
    const auto dosCifras = [&t](int v) { t.append(QChar(u'0' + v / 10)).append(QChar(u'0' + v % 10)); };
    dosCifras(d.day());
    t.append(u'/');
    dosCifras(d.month());
    t.append(u'/');
    int anio = d.year();
    if (anio < 0) {
        t.append(u'-');
        anio = -anio;
    }
    dosCifras(anio / 100);
    dosCifras(anio % 100);
    return t;
}

// The calls of the replacing step, in the order of the text. `comillas` are the apostrophes' positions; gap j
// lies between apostrophes j and j + 1, and the even gaps are the pairs.
std::vector<LlamadaDeFecha> llamadasDeFecha(QStringView s, const std::vector<qsizetype>& comillas)
{
    const auto hueco = [&](std::size_t j) { return s.sliced(comillas[j] + 1, comillas[j + 1] - comillas[j] - 1); };
    // Each distinct date text, with the turns (pairs read as dates, counted in order) at which it is replaced.
    QHash<QStringView, std::size_t> textos;
    std::vector<QString> fechas;
    std::vector<std::vector<std::size_t>> turnos;
    std::vector<std::size_t> textoDelTurno;
    qsizetype masLargo = 0;
    for (std::size_t j = 0; j + 1 < comillas.size(); j += 2) {
        const QStringView texto = hueco(j);
        const auto d = fecha(texto);
        if (!d)
            continue;
        auto it = textos.find(texto);
        if (it == textos.end()) {
            it = textos.insert(texto, fechas.size());
            fechas.push_back(textoDeFecha(*d));
            turnos.emplace_back();
            masLargo = std::max(masLargo, texto.size());
        }
        turnos[*it].push_back(textoDelTurno.size());
        textoDelTurno.push_back(*it);
    }
    if (textoDelTurno.empty())
        return {};

    // Every gap, paired or not, whose text is one of those: the replace-all finds them all.
    std::vector<std::vector<std::size_t>> huecos(fechas.size());
    for (std::size_t j = 0; j + 1 < comillas.size(); ++j)
        if (hueco(j).size() <= masLargo)
            if (const auto it = textos.constFind(hueco(j)); it != textos.cend())
                huecos[*it].push_back(j);

    // The first turn of a text takes, left to right, each of its gaps whose apostrophes are still free; later turns
    // of the same text find no gap left. A call made at turn t is wrapped once by every later turn whose text is
    // exactly the date the call writes.
    std::vector<bool> usada(comillas.size(), false);
    std::vector<bool> hecho(fechas.size(), false);
    std::vector<LlamadaDeFecha> llamadas;
    for (std::size_t t = 0; t < textoDelTurno.size(); ++t) {
        const std::size_t x = textoDelTurno[t];
        if (hecho[x])
            continue;
        hecho[x] = true;
        const auto repetido = textos.constFind(QStringView(fechas[x]));
        qsizetype capas = 1;
        if (repetido != textos.cend()) {
            const auto& mas = turnos[*repetido];
            capas += mas.end() - std::upper_bound(mas.begin(), mas.end(), t);
        }
        for (const std::size_t j : huecos[x]) {
            if (usada[j] || usada[j + 1])
                continue;
            usada[j] = usada[j + 1] = true;
            llamadas.push_back({static_cast<qsizetype>(j), capas, fechas[x]});
        }
    }
    std::sort(llamadas.begin(), llamadas.end(),
              [](const LlamadaDeFecha& a, const LlamadaDeFecha& b) { return a.hueco < b.hueco; });
    return llamadas;
}

// How many times n items are left after `vueltas` halvings, and whether the last one is still the original:
// each sweep joins the items two by two from the left, an odd last one staying as it was.
qsizetype quedan(qsizetype n, int vueltas)
{
    return (n + (qsizetype(1) << vueltas) - 1) >> vueltas;
}

bool ultimoOriginal(qsizetype n, int vueltas)
{
    for (int v = 0; v < vueltas; ++v, n = (n + 1) / 2)
        if (n % 2 == 0)
            return false;
    return true;
}

// Runs of "TO_DATE(" (any case) starting at i, and ","-joined runs of "'DD/MM/YYYY')" starting at i, up to `fin`.
qsizetype llamadasSeguidas(QStringView s, qsizetype i, qsizetype fin)
{
    qsizetype n = 0;
    while (i + kToDate.size() <= fin && coincide(s, i, kToDate)) {
        ++n;
        i += kToDate.size();
    }
    return n;
}

qsizetype formatosSeguidos(QStringView s, qsizetype i, qsizetype fin)
{
    if (i + kFormato.size() > fin || !coincide(s, i, kFormato))
        return 0;
    qsizetype n = 1;
    for (i += kFormato.size(); i + 1 + kFormato.size() <= fin && s[i] == u',' && coincide(s, i + 1, kFormato);
         i += 1 + kFormato.size())
        ++n;
    return n;
}

// Writes the statement with the clean-up's `vueltas` sweeps applied (at least one). An empty `ultimo` stands for
// an item the pass wrote itself.
class Limpieza {
public:
    Limpieza(QStringView s, int vueltas, QString& r) : m_s(s), m_vueltas(vueltas), m_r(r) {}

    // Copies [i, fin) of the statement with its own runs halved.
    void copiar(qsizetype i, qsizetype fin)
    {
        qsizetype copiado = i;
        while (i < fin) {
            if (const qsizetype n = llamadasSeguidas(m_s, i, fin); n > 1) {
                m_r.append(m_s.sliced(copiado, i - copiado));
                const qsizetype ultimo = i + (n - 1) * kToDate.size();
                escribirLlamadas(n, m_s.sliced(ultimo, kToDate.size()));
                i = copiado = ultimo + kToDate.size();
            } else if (const qsizetype f = formatosSeguidos(m_s, i, fin); f > 1) {
                m_r.append(m_s.sliced(copiado, i - copiado));
                const qsizetype largo = f * (kFormato.size() + 1) - 1;
                escribirFormatos(f, m_s.sliced(i + largo - kFormato.size(), kFormato.size()));
                i = copiado = i + largo;
            } else {
                i += n > 0 ? kToDate.size() : f > 0 ? kFormato.size() : 1;
            }
        }
        m_r.append(m_s.sliced(copiado, fin - copiado));
    }

    // A call of the pass, after `antes` "TO_DATE(" of the statement and before `despues` ",'DD/MM/YYYY')" of it,
    // the last of which is `ultimo`.
    void llamada(qsizetype antes, const LlamadaDeFecha& c, qsizetype despues, QStringView ultimo)
    {
        escribirLlamadas(antes + c.capas, {});
        m_r.append(kComilla).append(c.fecha).append(kComilla).append(u',');
        escribirFormatos(c.capas + despues, ultimo);
    }

private:
    void escribirLlamadas(qsizetype n, QStringView ultimo) { escribir(n, ultimo, kToDate, {}); }
    void escribirFormatos(qsizetype n, QStringView ultimo) { escribir(n, ultimo, kFormato, u","); }

    void escribir(qsizetype n, QStringView ultimo, QLatin1StringView propio, QStringView union_)
    {
        for (qsizetype k = quedan(n, m_vueltas); k > 1; --k)
            m_r.append(propio).append(union_);
        if (ultimo.isNull() || !ultimoOriginal(n, m_vueltas))
            m_r.append(propio);
        else
            m_r.append(ultimo);
    }

    QStringView m_s;
    int m_vueltas;
    QString& m_r;
};

bool literalesDeFecha(const QString& s, QString& salida)
{
    // Traducir has made sure every apostrophe has a partner, and the passes before this one keep them so.
    std::vector<qsizetype> comillas;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s[i] == kComilla)
            comillas.push_back(i);
    const std::vector<LlamadaDeFecha> llamadas = llamadasDeFecha(s, comillas);

    // The statement's pieces between the calls. A run of "TO_DATE(" that ends a piece continues into the call after
    // it (`antes`); a ","-joined run of "'DD/MM/YYYY')" that starts a piece continues the call before it (`despues`).
    const std::size_t piezas = llamadas.size() + 1;
    std::vector<qsizetype> desde(piezas);
    std::vector<qsizetype> hasta(piezas);
    std::vector<qsizetype> antes(piezas, 0);
    std::vector<qsizetype> despues(piezas, 0);
    qsizetype corridaMayor = 0;
    for (std::size_t k = 0; k < piezas; ++k) {
        qsizetype a = k == 0 ? 0 : comillas[llamadas[k - 1].hueco + 1] + 1;
        qsizetype b = k == llamadas.size() ? s.size() : comillas[llamadas[k].hueco];
        for (; k > 0 && a + 1 + kFormato.size() <= b && s[a] == u',' && coincide(s, a + 1, kFormato);
             a += 1 + kFormato.size())
            ++despues[k - 1];
        for (; k < llamadas.size() && b - kToDate.size() >= a && coincide(s, b - kToDate.size(), kToDate);
             b -= kToDate.size())
            ++antes[k];
        if (k < llamadas.size())
            corridaMayor = std::max(corridaMayor, antes[k] + llamadas[k].capas);
        for (qsizetype i = a; i < b;) {
            const qsizetype n = llamadasSeguidas(s, i, b);
            corridaMayor = std::max(corridaMayor, n);
            i += n > 0 ? n * kToDate.size() : 1;
        }
        desde[k] = a;
        hasta[k] = b;
    }

    // The clean-up sweeps until no "TO_DATE(TO_DATE(" is left: as many as halvings of the longest run. Without
    // any, every call stands once and the statement around it is as it was.
    const int vueltas = corridaMayor < 2 ? 0 : std::bit_width(static_cast<std::size_t>(corridaMayor - 1));
    if (vueltas == 0 && llamadas.empty())
        return false;
    QString& r = salida;
    empezar(r, s.size() + static_cast<qsizetype>(llamadas.size()) * 24);
    if (vueltas == 0) {
        qsizetype copiado = 0;
        for (const LlamadaDeFecha& c : llamadas) {
            r.append(QStringView(s).sliced(copiado, comillas[c.hueco] - copiado)).append(kToDate).append(kComilla);
            r.append(c.fecha).append(kComilla).append(u',').append(kFormato);
            copiado = comillas[c.hueco + 1] + 1;
        }
        r.append(QStringView(s).sliced(copiado));
        return true;
    }
    Limpieza limpieza(s, vueltas, r);
    for (std::size_t k = 0; k < piezas; ++k) {
        limpieza.copiar(desde[k], hasta[k]);
        if (k < llamadas.size()) {
            const QStringView ultimo =
                despues[k] > 0 ? QStringView(s).sliced(desde[k + 1] - kFormato.size(), kFormato.size()) : QStringView();
            limpieza.llamada(antes[k], llamadas[k], despues[k], ultimo);
        }
    }
    return true;
}

// A function that keeps its arguments and takes Oracle's name: `de` becomes `a` wherever it stands outside
// a literal.
bool renombrar(const QString& s, QString& salida, QLatin1StringView de, QLatin1StringView a)
{
    return reescribirFuera(s, salida, [&s, de, a](qsizetype i) -> Reemplazo {
        if (coincide(s, i, de))
            return {de.size(), a};
        return {};
    });
}

// Pass 5: CHARINDEX keeps its arguments and takes Oracle's name.
bool busquedaDeTexto(const QString& s, QString& salida)
{
    return renombrar(s, salida, "Charindex"_L1, "InStr"_L1);
}

// Pass 6: the two CONVERT forms, written exactly so.
bool conversiones(const QString& s, QString& salida)
{
    return reescribirFuera(s, salida, [&s](qsizetype i) -> Reemplazo {
        if (coincide(s, i, "CONVERT(NVARCHAR,"_L1))
            return {17, "TO_CHAR("_L1};
        if (coincide(s, i, "CONVERT(INT,"_L1))
            return {12, "TO_NUMBER("_L1};
        return {};
    });
}

// Pass 7: "= ''" and "=''" from the first "WHERE " on become " IS NULL " (the quotes being an empty literal).
bool comparacionesConVacio(const QString& s, QString& salida)
{
    const qsizetype w = buscarFuera(s, "WHERE "_L1);
    if (w < 0)
        return false;
    const auto vacioEn = [&s](qsizetype k) {
        return k + 1 < s.size() && s[k] == kComilla && s[k + 1] == kComilla &&
               (k + 2 == s.size() || s[k + 2] != kComilla);
    };
    return reescribirFuera(
        s, salida,
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
bool estilo103(const QString& s, QString& salida)
{
    qsizetype parentesis = -1;
    return reescribirFuera(s, salida, [&s, &parentesis](qsizetype i) -> Reemplazo {
        if (s[i] == u'(')
            parentesis = i;
        else if (coincide(s, i, "103"_L1) && coincide(s, parentesis - 7, "TO_CHAR("_L1))
            return {3, "'DD/MM/YYYY'"_L1};
        return {};
    });
}

// Pass 9: SUBSTRING takes Oracle's name.
bool subcadena(const QString& s, QString& salida)
{
    return renombrar(s, salida, "SUBSTRING("_L1, "SUBSTR("_L1);
}

// Pass 10: ISNULL takes Oracle's name.
bool nulos(const QString& s, QString& salida)
{
    return renombrar(s, salida, "ISNULL("_L1, "NVL("_L1);
}

} // namespace

QString Traducir(const QString& sentencia)
{
    // Every pass but the date pass keeps quoted literals whole, so they must all be closed.
    if (sentencia.count(kComilla) % 2 != 0)
        argumentoNoValido();
    // Two texts take turns as a pass's input and output: a long statement is then written into the same memory
    // pass after pass instead of into a fresh block each time, and a pass that changes nothing copies nothing.
    QString texto = sentencia;
    QString otro;
    for (const auto pasada : {limiteDeFilas, largo, nombresEntreComillas, literalesDeFecha, busquedaDeTexto,
                              conversiones, comparacionesConVacio, estilo103, subcadena, nulos})
        if (pasada(texto, otro))
            texto.swap(otro);
    return texto;
}

} // namespace OracleDialect
