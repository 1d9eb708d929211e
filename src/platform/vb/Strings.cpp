#include "platform/vb/Strings.h"

#include <QLocale>
#include <QRegularExpression>
#include <QVarLengthArray>
#include <algorithm>

namespace vb {
namespace {

// A character as a case-blind comparison sees it: Unicode's simple case folding, as Qt applies it, with
// ASCII folded without a table lookup. A few other characters fold into ASCII (the Kelvin sign to "k").
char16_t folded(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    return QChar::toCaseFolded(c);
}

bool isAscii(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Where the ASCII word `find` first stands in `s` from `from` on, case-blind; -1 when it does not. The
// same answer as Qt's case-blind search, which folds every character through its tables: statements are
// searched for keywords many times a statement, and here each character costs one compare.
qsizetype indexOfAsciiCaseBlind(QStringView s, QStringView find, qsizetype from)
{
    QVarLengthArray<char16_t, 32> word;
    for (QChar c : find)
        word.append(folded(c.unicode()));
    const qsizetype last = s.size() - word.size();
    for (qsizetype i = from; i <= last; ++i) {
        if (folded(s[i].unicode()) != word[0])
            continue;
        qsizetype j = 1;
        while (j < word.size() && folded(s[i + j].unicode()) == word[j])
            ++j;
        if (j == word.size())
            return i;
    }
    return -1;
}

} // namespace

QString LTrim(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString RTrim(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString Trim(const QString& s)
{
    return LTrim(RTrim(s));
}

int InStr(int start, const QString& s, const QString& find, Compare compare)
{
    if (start < 1)
        start = 1;
    if (start > s.size() + 1)
        return 0;
    if (find.isEmpty())
        return start;
    const qsizetype at = compare != Compare::Text ? s.indexOf(find, start - 1, Qt::CaseSensitive)
                         : isAscii(find)          ? indexOfAsciiCaseBlind(s, find, start - 1)
                                                  : s.indexOf(find, start - 1, Qt::CaseInsensitive);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

QString Replace(const QString& s, const QString& find, const QString& with, Compare compare)
{
    if (find.isEmpty())
        return s;
    QString out = s;
    out.replace(find, with, compare == Compare::Text ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return out;
}

QString Left(const QString& s, int n)
{
    return s.left(n);
}

QString Right(const QString& s, int n)
{
    return n >= s.size() ? s : s.right(n);
}

QString Mid(const QString& s, int start, int length)
{
    return s.mid(start - 1, length);
}

double Val(const QString& s)
{
    QString digits;
    bool seenPoint = false;
    bool seenDigit = false;
    for (QChar c : s) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && !seenDigit && digits.isEmpty()) {
            digits.append(c);
        } else if (c.isDigit() && c.unicode() < 128) {
            digits.append(c);
            seenDigit = true;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            digits.append(c);
            seenPoint = true;
        } else {
            break;
        }
    }
    return seenDigit ? digits.toDouble() : 0.0;
}

QString CStr(double value)
{
    // The run-time's general format never groups thousands.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QString dateTextFormat()
{
    static const QRegularExpression anioCorto(QStringLiteral("(?<!y)y{1,3}(?!y)"));
    return QLocale().dateFormat(QLocale::ShortFormat).replace(anioCorto, QStringLiteral("yyyy"));
}

QString timeTextFormat()
{
    QString formato = QLocale().timeFormat(QLocale::ShortFormat);
    if (formato.contains(QLatin1Char('s')))
        return formato;
    // The seconds follow the minutes with the separator the locale puts between hours and minutes.
    const qsizetype minutos = formato.indexOf(QStringLiteral("mm"));
    if (minutos < 0)
        return formato;
    const QString separador = minutos > 0 ? formato.mid(minutos - 1, 1) : QStringLiteral(":");
    return formato.insert(minutos + 2, separador + QStringLiteral("ss"));
}

QString CStr(const Date& value)
{
    const Date shown = value.roundedToSeconds();
    const QTime hora = shown.time();
    const QString horaTexto = QLocale().toString(hora, timeTextFormat());
    // A time of day alone (on the zero date) is written without a date, a date at midnight without a time.
    if (shown.datePart().isZero() && hora != QTime(0, 0))
        return horaTexto;
    const QString fecha = QLocale().toString(shown.date(), dateTextFormat());
    if (hora == QTime(0, 0))
        return fecha;
    return fecha + QLatin1Char(' ') + horaTexto;
}

} // namespace vb
