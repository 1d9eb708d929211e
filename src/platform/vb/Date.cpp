#include "platform/vb/Date.h"

#include <algorithm>
#include <cmath>

namespace vb {
namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMicrosecondsPerDay = 86400.0 * 1000000.0;

} // namespace

Date Date::fromDate(const QDate& d)
{
    return Date(static_cast<double>(kEpoch.daysTo(d)));
}

Date Date::fromDateAndSeconds(const QDate& d, int secondsOfDay)
{
    const double days = static_cast<double>(kEpoch.daysTo(d));
    const double seconds = secondsOfDay;
    // Dates before the epoch carry their time fraction away from zero, as the run-time stores them.
    return Date(days < 0 ? days - seconds / 86400.0 : days + seconds / 86400.0);
}

Date Date::fromDateAndMicroseconds(const QDate& d, qint64 microsecondsOfDay)
{
    const double days = static_cast<double>(kEpoch.daysTo(d));
    const double fraction = static_cast<double>(microsecondsOfDay) / kMicrosecondsPerDay;
    return Date(days < 0 ? days - fraction : days + fraction);
}

Date Date::fromDateTime(const QDateTime& dt)
{
    return fromDateAndSeconds(dt.date(), dt.time().msecsSinceStartOfDay() / 1000);
}

Date Date::Now()
{
    return fromDateTime(QDateTime::currentDateTime());
}

QDateTime Date::toDateTime() const
{
    const double whole = std::trunc(m_serial);
    const double fraction = std::fabs(m_serial - whole);
    const QDate date = kEpoch.addDays(static_cast<qint64>(whole));
    const int seconds = static_cast<int>(std::llround(fraction * 86400.0));
    return QDateTime(date, QTime(0, 0).addSecs(seconds));
}

QDate Date::calendarDay() const
{
    return kEpoch.addDays(static_cast<qint64>(std::trunc(m_serial)));
}

qint64 Date::microsecondsOfDay() const
{
    const double fraction = std::fabs(m_serial - std::trunc(m_serial));
    // A fraction a hair below a whole day stays in its own day.
    return std::min<qint64>(std::llround(fraction * kMicrosecondsPerDay), 86'399'999'999);
}

Date Date::datePart() const
{
    return Date(std::trunc(m_serial));
}

} // namespace vb
