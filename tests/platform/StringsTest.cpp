#include "platform/vb/Strings.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Error.h"
#include "platform/vb/Variant.h"

#include <gtest/gtest.h>

TEST(Strings, TrimRemovesBlanksOnly)
{
    EXPECT_EQ(vb::Trim("  a b \t "), QString("a b \t"));
    EXPECT_EQ(vb::LTrim("  x "), QString("x "));
    EXPECT_EQ(vb::RTrim("  x "), QString("  x"));
}

TEST(Strings, InStrAndReplaceWithTextCompare)
{
    EXPECT_EQ(vb::InStr("abcABC", "B"), 5);
    EXPECT_EQ(vb::InStr("abcABC", "B", vb::Compare::Text), 2);
    EXPECT_EQ(vb::InStr(3, "abcabc", "a"), 4);
    EXPECT_EQ(vb::InStr("abc", "z"), 0);
    EXPECT_EQ(vb::Replace("C:\\x\\OpenSSL.EXE", "\\openssl.exe", "", vb::Compare::Text), QString("C:\\x"));
    EXPECT_EQ(vb::Replace("aAa", "a", "b"), QString("bAb"));
}

// A case-blind InStr finds what Qt's case-blind search finds, also where characters outside ASCII fold
// into ASCII letters (the Kelvin sign, the long s) or sit between the letters sought.
TEST(Strings, InStrWithTextCompareAgreesWithUnicodeFolding)
{
    struct Case {
        int start;
        QString text;
        QString find;
        int expected;
    };
    const Case cases[] = {
        {1, "insert INTO t", "into", 8},
        {1, "DROP TABLE x; create table x", "CREATE", 15},
        {1, "aaab", "aab", 2},
        {3, "abcabc", "ABC", 4},
        {5, "abcabc", "abc", 0},
        {7, "abcabc", "c", 0},
        {1, "ab", "abc", 0},
        {1, QString::fromUtf8("BACK"), "back", 1},
        {1, QString::fromUtf8("CLAſE"), "clase", 1},
        {1, QString::fromUtf8("Artículo número 5 ÍNDICE"), "índice", 19},
        {1, QString::fromUtf8("ArtÍculo"), "ARTICULO", 0},
        {1, QString::fromUtf8("x😀DELETE"), "delete", 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vb::InStr(c.start, c.text, c.find, vb::Compare::Text), c.expected) << c.text.toStdString();
        const qsizetype qt = c.text.indexOf(c.find, c.start - 1, Qt::CaseInsensitive);
        EXPECT_EQ(c.expected, qt < 0 ? 0 : qt + 1) << c.text.toStdString();
    }
    // Random texts over letters that fold into one another, against Qt's own search.
    const char16_t alphabet[] = {u'a', u'A', u'k', u'K', 0x212A, u's', u'S', 0x017F, 0x00E9, 0x00C9, u' ', 0xD83D};
    quint32 seed = 12345;
    const auto next = [&seed](quint32 below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    for (int round = 0; round < 2000; ++round) {
        QString text;
        QString find;
        for (quint32 i = 0, n = next(24); i < n; ++i)
            text += QChar(alphabet[next(std::size(alphabet))]);
        for (quint32 i = 0, n = 1 + next(3); i < n; ++i)
            find += QChar(u"aAkKsS "[next(7)]);
        const int start = 1 + static_cast<int>(next(4));
        const qsizetype qt = start > text.size() + 1 ? -1 : text.indexOf(find, start - 1, Qt::CaseInsensitive);
        ASSERT_EQ(vb::InStr(start, text, find, vb::Compare::Text), qt < 0 ? 0 : qt + 1)
            << "start " << start << " in " << text.toStdString() << " for " << find.toStdString();
    }
}

TEST(Strings, ValReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(vb::Val(" 12 34abc"), 1234.0);
    EXPECT_DOUBLE_EQ(vb::Val("-3.5x"), -3.5);
    EXPECT_DOUBLE_EQ(vb::Val("abc"), 0.0);
    EXPECT_DOUBLE_EQ(vb::Val(""), 0.0);
}

TEST(Strings, AnsiRoundTripsTheCodePage)
{
    const QString text = QString::fromUtf8("Producción € ñ \u201Chola\u201D");
    const QByteArray bytes = vb::toAnsi(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0xF3);
    EXPECT_EQ(static_cast<unsigned char>(bytes[11]), 0x80);
    EXPECT_EQ(vb::fromAnsi(bytes), text);
    EXPECT_EQ(vb::toAnsi(QString::fromUtf8("\u4E2D")), QByteArray("?"));
}

TEST(Variant, EmptyNullAndEmptyTextAreDistinct)
{
    const vb::Variant empty;
    const vb::Variant null = vb::Variant::Null();
    const vb::Variant text(QString(""));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(text.isEmpty() || text.isNull());
    EXPECT_EQ(empty.toString(), QString());
    EXPECT_DOUBLE_EQ(empty.toDouble(), 0.0);
    EXPECT_THROW(null.toString(), vb::Error);
    EXPECT_FALSE(empty == null);
}

TEST(Date, ZeroDateAndSerials)
{
    EXPECT_TRUE(vb::Date().isZero());
    const vb::Date d = vb::Date::fromDateTime(QDateTime(QDate(2025, 12, 31), QTime(18, 0)));
    EXPECT_DOUBLE_EQ(d.serial(), 46022.75);
    EXPECT_EQ(d.date(), QDate(2025, 12, 31));
    EXPECT_EQ(d.time(), QTime(18, 0));
    EXPECT_DOUBLE_EQ(d.datePart().serial(), 46022.0);
}

TEST(Strings, CStrOfANumberUsesTheDecimalCommaWithoutGrouping)
{
    EXPECT_EQ(vb::CStr(1023.0), QString("1023"));
    EXPECT_EQ(vb::CStr(1234567.5), QString("1234567,5"));
}

TEST(Strings, ADateAsTextKeepsItsFourDigitYearAndItsSeconds)
{
    struct Caso {
        QDateTime momento;
        const char* texto;
    };
    const Caso casos[] = {
        {QDateTime(QDate(2020, 1, 31), QTime(0, 0)), "31/1/2020"},
        {QDateTime(QDate(2020, 1, 31), QTime(14, 5, 9)), "31/1/2020 14:05:09"},
        {QDateTime(QDate(2020, 1, 31), QTime(14, 5, 50)), "31/1/2020 14:05:50"},
        {QDateTime(QDate(1920, 1, 31), QTime(9, 5, 7)), "31/1/1920 09:05:07"},
        {QDateTime(QDate(2029, 12, 5), QTime(23, 59, 59)), "5/12/2029 23:59:59"},
        {QDateTime(QDate(2030, 11, 10), QTime(0, 0, 1)), "10/11/2030 00:00:01"},
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), "30/12/1899"},
    };
    for (const Caso& c : casos) {
        const vb::Date fecha = vb::Date::fromDateTime(c.momento);
        EXPECT_EQ(vb::CStr(fecha), QString::fromUtf8(c.texto));
        EXPECT_EQ(vb::Variant(fecha).toString(), QString::fromUtf8(c.texto));
        // Read back, the text gives the same moment, century included.
        EXPECT_EQ(vb::Variant(QString::fromUtf8(c.texto)).toDate(), fecha) << c.texto;
    }
    // A time typed without seconds and the locale's own short forms are still read.
    EXPECT_EQ(vb::Variant(QStringLiteral("31/1/2020 14:05")).toDate(),
              vb::Date::fromDateTime(QDateTime(QDate(2020, 1, 31), QTime(14, 5))));
    EXPECT_EQ(vb::Variant(QStringLiteral("31/1/99")).toDate(), vb::Date::fromDate(QDate(1999, 1, 31)));
}

TEST(Strings, ATwoDigitYearIsReadAsTheRunTimeReadsIt)
{
    struct Caso {
        const char* texto;
        QDateTime momento;
    };
    const Caso casos[] = {
        {"31/1/20", QDateTime(QDate(2020, 1, 31), QTime(0, 0))},
        {"31/1/20 14:05", QDateTime(QDate(2020, 1, 31), QTime(14, 5))},
        {"1/1/00", QDateTime(QDate(2000, 1, 1), QTime(0, 0))},
        {"31/12/29", QDateTime(QDate(2029, 12, 31), QTime(0, 0))},
        {"1/1/30", QDateTime(QDate(1930, 1, 1), QTime(0, 0))},
        {"31/1/99 23:59", QDateTime(QDate(1999, 1, 31), QTime(23, 59))},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(vb::Variant(QString::fromUtf8(c.texto)).toDate(), vb::Date::fromDateTime(c.momento)) << c.texto;
}

TEST(Strings, ADateAsTextFollowsTheLocaleOrderWithAFullYear)
{
    const QLocale antes;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const vb::Date fecha = vb::Date::fromDateTime(QDateTime(QDate(2020, 1, 31), QTime(14, 5, 9)));
    const QString texto = vb::CStr(fecha);
    const vb::Date leida = vb::Variant(texto).toDate();
    const QString soloFecha = vb::CStr(fecha.datePart());
    QLocale::setDefault(antes);
    EXPECT_TRUE(texto.startsWith("1/31/2020 2:05:09") && texto.endsWith("PM")) << texto.toStdString();
    EXPECT_EQ(soloFecha, "1/31/2020");
    EXPECT_EQ(leida, fecha);
}
