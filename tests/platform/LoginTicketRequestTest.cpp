#include "platform/afip/LoginTicketRequest.h"
#include "platform/afip/XmlFields.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using afip::LoginTicketRequest;
using afip::XmlFields;

namespace {

// Runs the test body in another local zone and restores the machine's afterwards.
class LocalZone {
public:
    explicit LocalZone(const char* zone) : m_previous(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        if (m_had)
            qputenv("TZ", m_previous);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_previous;
    bool m_had;
};

const QRegularExpression IsoWithOffset(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$"));

} // namespace

TEST(LoginTicketRequest, HeaderServiceAndTenMinuteWindow)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray xml = LoginTicketRequest::build(QStringLiteral("wsfe"), now, 4294967295u);
    const XmlFields tra(xml);
    ASSERT_TRUE(tra.isValid());
    EXPECT_TRUE(xml.contains("<loginTicketRequest version=\"1.0\">"));
    EXPECT_EQ(tra.value("loginTicketRequest/header/uniqueId"), QString("4294967295"));
    EXPECT_EQ(tra.value("loginTicketRequest/service"), QString("wsfe"));
    EXPECT_FALSE(tra.contains("header/source"));
    EXPECT_FALSE(tra.contains("header/destination"));

    const QString generation = tra.value("header/generationTime");
    const QString expiration = tra.value("header/expirationTime");
    EXPECT_TRUE(IsoWithOffset.match(generation).hasMatch()) << generation.toStdString();
    EXPECT_TRUE(IsoWithOffset.match(expiration).hasMatch()) << expiration.toStdString();
    const QDateTime truncated = now.addMSecs(-now.time().msec());
    EXPECT_EQ(QDateTime::fromString(generation, Qt::ISODate), truncated.addSecs(-600));
    EXPECT_EQ(QDateTime::fromString(expiration, Qt::ISODate), truncated.addSecs(600));
}

TEST(LoginTicketRequest, TimesCarryTheLocalZoneOffset)
{
    const QDateTime moment(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC);
    struct Case {
        const char* zone;
        const char* expected;
    };
    for (const Case& c :
         {Case{"America/Argentina/Buenos_Aires", "2026-07-01T09:00:00-03:00"}, Case{"UTC", "2026-07-01T12:00:00+00:00"},
          Case{"Asia/Kolkata", "2026-07-01T17:30:00+05:30"}}) {
        LocalZone zone(c.zone);
        if (QTimeZone::systemTimeZoneId() != QByteArray(c.zone) && QByteArray(c.zone) != "UTC")
            GTEST_SKIP() << "the zone database has no " << c.zone;
        EXPECT_EQ(LoginTicketRequest::isoWithOffset(moment), QString(c.expected)) << c.zone;
    }
}

TEST(LoginTicketRequest, FreshRequestsHaveDifferentIds)
{
    const XmlFields a(LoginTicketRequest::build(QStringLiteral("wsfe")));
    const XmlFields b(LoginTicketRequest::build(QStringLiteral("wsfe")));
    bool ok = false;
    a.value("header/uniqueId").toUInt(&ok);
    EXPECT_TRUE(ok);
    EXPECT_NE(a.value("header/uniqueId"), b.value("header/uniqueId"));
}
