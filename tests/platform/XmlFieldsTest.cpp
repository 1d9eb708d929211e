#include "platform/afip/XmlFields.h"
#include "platform/afip/SoapEnvelope.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using afip::SoapEnvelope;
using afip::XmlFields;

namespace {

// `levels` elements named `name`, one inside the other, around the text "hoja".
QByteArray nested(int levels, const QByteArray& name = "e")
{
    return ("<" + name + ">").repeated(levels) + "hoja" + ("</" + name + ">").repeated(levels);
}

} // namespace

TEST(XmlFields, ReadsByPathSuffixWhateverThePrefixes)
{
    const XmlFields xml(QByteArray("<a:Envelope xmlns:a='urn:x'><a:Body><R xmlns='urn:y'><Err><Code>600</Code>"
                                   "<Msg> uno &amp; dos </Msg></Err><Err><Code>601</Code></Err></R></a:Body>"
                                   "</a:Envelope>"));
    ASSERT_TRUE(xml.isValid());
    EXPECT_EQ(xml.value("Err/Code"), QString("600"));
    EXPECT_EQ(xml.value("Body/R/Err/Msg"), QString("uno & dos"));
    EXPECT_TRUE(xml.contains("R/Err"));
    EXPECT_FALSE(xml.contains("rr/Code")) << "a suffix matches whole names only";
    EXPECT_EQ(xml.value("Missing"), QString());
    ASSERT_EQ(xml.size(), 8);
    EXPECT_EQ(xml.path(7), QString("Envelope/Body/R/Err/Code"));
    EXPECT_EQ(xml.text(7), QString("601"));
    EXPECT_EQ(xml.path(0), QString("Envelope"));
    EXPECT_EQ(xml.text(5), QString("uno & dos"));
    for (const char* suffix : {"Envelope/Body/R/Err/Code", "Body/R/Err/Code", "Err/Code", "Code"})
        EXPECT_TRUE(xml.pathEndsWith(7, QString(suffix))) << suffix;
    for (const char* suffix : {"ode", "Err/Cod", "/Code", "Code/", "Err//Code", "", "X/Envelope/Body/R/Err/Code"})
        EXPECT_FALSE(xml.pathEndsWith(7, QString(suffix))) << suffix;
}

TEST(XmlFields, BrokenOrEmptyTextIsInvalid)
{
    EXPECT_FALSE(XmlFields(QByteArray("<a><b></a>")).isValid());
    EXPECT_FALSE(XmlFields(QByteArray()).isValid());
    EXPECT_FALSE(XmlFields(QByteArray("<html>Service Unavailable")).isValid());
}

TEST(XmlFields, ADeeplyNestedDocumentIsRefusedWhole)
{
    const QByteArray deep = nested(15000);
    ASSERT_GT(deep.size(), 100 * 1024);
    // A generous bound: such a document used to take minutes and gigabytes.
    QElapsedTimer clock;
    clock.start();
    const XmlFields xml(deep);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(xml.isValid());
    EXPECT_FALSE(xml.contains("e"));
    EXPECT_EQ(xml.value("e/e"), QString());
}

TEST(XmlFields, NestingIsReadUpToTheDepthLimit)
{
    const XmlFields deepest(nested(XmlFields::MaxDepth));
    ASSERT_TRUE(deepest.isValid());
    ASSERT_EQ(deepest.size(), XmlFields::MaxDepth);
    EXPECT_EQ(deepest.text(XmlFields::MaxDepth - 1), QString("hoja"));
    EXPECT_EQ(deepest.path(2), QString("e/e/e"));

    const XmlFields deeper(nested(XmlFields::MaxDepth + 1));
    EXPECT_FALSE(deeper.isValid());
    EXPECT_EQ(deeper.size(), 0);
}

TEST(XmlFields, ManyElementsUnderLongNamesAreReadWhole)
{
    // Every leaf's path repeats its ancestors' long names; they are not copied into each leaf.
    const QByteArray name(4000, 'n');
    QByteArray xml = "<" + name + "><" + name + ">";
    for (int i = 0; i < 20000; ++i)
        xml += "<v>" + QByteArray::number(i) + "</v>";
    xml += "</" + name + "></" + name + ">";
    QElapsedTimer clock;
    clock.start();
    const XmlFields wide(xml);
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_TRUE(wide.isValid());
    ASSERT_EQ(wide.size(), 20002);
    EXPECT_EQ(wide.text(20001), QString("19999"));
    EXPECT_TRUE(wide.pathEndsWith(20001, QString::fromLatin1(name + "/v")));
    EXPECT_EQ(wide.path(2), QString::fromLatin1(name + "/" + name + "/v"));
}

TEST(SoapEnvelope, BuildsTheOperationInItsNamespaceWithEscapedValues)
{
    const QByteArray envelope = SoapEnvelope::build("urn:op", "Do", SoapEnvelope::element("V", "a<b&c"));
    const XmlFields xml(envelope);
    ASSERT_TRUE(xml.isValid());
    EXPECT_EQ(xml.value("Envelope/Body/Do/V"), QString("a<b&c"));
    EXPECT_TRUE(envelope.contains("xmlns:ns=\"urn:op\""));
    EXPECT_FALSE(SoapEnvelope::fault(xml).has_value());
}

TEST(SoapEnvelope, FaultCodeLosesItsPrefix)
{
    const XmlFields xml(QByteArray(
        "<soapenv:Envelope xmlns:soapenv='http://schemas.xmlsoap.org/soap/envelope/'><soapenv:Body><soapenv:Fault>"
        "<faultcode xmlns:ns1='http://xml.apache.org/axis/'>ns1:coe.alreadyAuthenticated</faultcode>"
        "<faultstring>El CEE ya posee un TA valido</faultstring></soapenv:Fault></soapenv:Body></soapenv:Envelope>"));
    const auto fault = SoapEnvelope::fault(xml);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->code, QString("coe.alreadyAuthenticated"));
    EXPECT_EQ(fault->text, QString("El CEE ya posee un TA valido"));
}
