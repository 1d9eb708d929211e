#include "platform/afip/XmlFields.h"
#include "platform/afip/SoapEnvelope.h"

#include <gtest/gtest.h>

using afip::SoapEnvelope;
using afip::XmlFields;

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
    ASSERT_EQ(xml.entries().size(), 8);
    EXPECT_EQ(xml.entries().at(7).first, QString("Envelope/Body/R/Err/Code"));
    EXPECT_EQ(xml.entries().at(7).second, QString("601"));
}

TEST(XmlFields, BrokenOrEmptyTextIsInvalid)
{
    EXPECT_FALSE(XmlFields(QByteArray("<a><b></a>")).isValid());
    EXPECT_FALSE(XmlFields(QByteArray()).isValid());
    EXPECT_FALSE(XmlFields(QByteArray("<html>Service Unavailable")).isValid());
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
