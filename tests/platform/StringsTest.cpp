#include "platform/vb/Ansi.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Variant.h"
#include "platform/vb/Error.h"

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
    EXPECT_EQ(d.toDateTime(), QDateTime(QDate(2025, 12, 31), QTime(18, 0)));
    EXPECT_DOUBLE_EQ(d.datePart().serial(), 46022.0);
}

TEST(Strings, CStrOfANumberUsesTheDecimalCommaWithoutGrouping)
{
    EXPECT_EQ(vb::CStr(1023.0), QString("1023"));
    EXPECT_EQ(vb::CStr(1234567.5), QString("1234567,5"));
}
