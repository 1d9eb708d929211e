#include "platform/vb/Decimal.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

namespace {

long errorOf(const QString& text)
{
    try {
        vb::Decimal::parse(text);
    } catch (const vb::Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(DecimalTest, ReadsWithAPointWhateverTheLocale)
{
    struct Case {
        const char* text;
        const char* value;
    };
    const Case cases[] = {
        {"0", "0"},
        {"-0", "0"},
        {"+12", "12"},
        {"-7", "-7"},
        {"1.5", "1.5"},
        {"12.500", "12.5"},
        {".25", "0.25"},
        {"5.", "5"},
        {"007", "7"},
        {"0.005", "0.005"},
        {"1e3", "1000"},
        {"2.5E-2", "0.025"},
        {"1E+2", "100"},
        {"-1.25e1", "-12.5"},
        {"79228162514264337593543950335", "79228162514264337593543950335"},
        {"0.1234567890123456789012345678901", "0.1234567890123456789012345679"},
        {"0.00000000000000000000000000005", "0"},
        {"0.00000000000000000000000000015", "0.0000000000000000000000000002"},
        {"1e-40", "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vb::Decimal::parse(QString::fromUtf8(c.text)).toString(QLatin1Char('.')).toStdString(), c.value)
            << c.text;
}

TEST(DecimalTest, RefusesOtherTextAndOverflow)
{
    for (const char* text : {"", "+", "-", ".", "1.2.3", "+-1", "1e", "1e+", "1-2", "1,5", " 1", "e5", "0x10"})
        EXPECT_EQ(errorOf(QString::fromUtf8(text)), 13) << text;
    for (const char* text : {"79228162514264337593543950336", "1e29", "-1e40", "1e99999999999"})
        EXPECT_EQ(errorOf(QString::fromUtf8(text)), 6) << text;
}

TEST(DecimalTest, ComparesValues)
{
    EXPECT_EQ(vb::Decimal::parse(QStringLiteral("1.50")), vb::Decimal::parse(QStringLiteral("1.5")));
    EXPECT_EQ(vb::Decimal::parse(QStringLiteral("-3")), vb::Decimal::fromInt(-3));
    EXPECT_FALSE(vb::Decimal::fromInt(3) == vb::Decimal::fromInt(-3));
    EXPECT_EQ(vb::Decimal::fromInt(-9223372036854775807LL - 1).toString(QLatin1Char('.')),
              QStringLiteral("-9223372036854775808"));
}

TEST(DecimalTest, ToDoubleAndText)
{
    const vb::Decimal d = vb::Decimal::parse(QStringLiteral("-1234.5"));
    EXPECT_DOUBLE_EQ(d.toDouble(), -1234.5);
    EXPECT_EQ(d.toString(QLatin1Char(',')), QStringLiteral("-1234,5"));
}

} // namespace
